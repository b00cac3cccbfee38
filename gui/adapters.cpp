#include "adapters.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QRegularExpression>
#include <QStringList>
#include <QUrl>
#include <filesystem>

#include "binder.h"
#include "platform/headless_dialogs.h"

namespace zelkon::gui {
namespace {

QMessageBox::Icon QtIcon(Icon icon) {
  switch (icon) {
    case Icon::None:
      return QMessageBox::NoIcon;
    case Icon::Information:
      return QMessageBox::Information;
    case Icon::Exclamation:
      return QMessageBox::Warning;
    case Icon::Stop:
      return QMessageBox::Critical;
    case Icon::Question:
      return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons QtButtons(Buttons buttons) {
  switch (buttons) {
    case Buttons::Ok:
      return QMessageBox::Ok;
    case Buttons::OkCancel:
      return QMessageBox::Ok | QMessageBox::Cancel;
    case Buttons::YesNo:
      return QMessageBox::Yes | QMessageBox::No;
  }
  return QMessageBox::Ok;
}

}  // namespace

Answer QtDialogs::MessageBox(const std::string& text, const std::string& caption, Buttons buttons,
                             Icon icon) {
  return MessageBoxWithDetail(text, "", caption, buttons, icon);
}

Answer QtDialogs::MessageBoxWithDetail(const std::string& text, const std::string& detail,
                                       const std::string& caption, Buttons buttons, Icon icon) {
  QMessageBox box(QtIcon(icon), QString::fromStdString(caption), QString::fromStdString(text),
                  QtButtons(buttons), QApplication::activeWindow());
  box.setTextFormat(Qt::PlainText);
  if (!detail.empty()) box.setInformativeText(QString::fromStdString(detail));
  switch (box.exec()) {
    case QMessageBox::Ok:
      return Answer::Ok;
    case QMessageBox::Cancel:
      return Answer::Cancel;
    case QMessageBox::Yes:
      return Answer::Yes;
    case QMessageBox::No:
      return Answer::No;
    default:
      return SafeAnswer(buttons);  // closed without a button
  }
}

std::optional<std::string> QtDialogs::ChooseFile(const FileDialogRequest& request) {
  QFileDialog dialog(QApplication::activeWindow());
  if (request.mode == FileDialogMode::Save) {
    // Titled and buttoned as a save; replacing a file that exists is asked first.
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setWindowTitle(QFileDialog::tr("Save As"));
    dialog.setFileMode(QFileDialog::AnyFile);
  } else {
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setWindowTitle(QFileDialog::tr("Open"));
    dialog.setFileMode(QFileDialog::ExistingFile);
  }
  dialog.setNameFilters(QtNameFilters(request.filter).split(";;"));
  // A preset of blanks only is an empty field.
  const QString preset = QString::fromStdString(request.fileName).trimmed();
  if (!preset.isEmpty()) dialog.selectFile(preset);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return WithDefaultExtension(dialog.selectedFiles().front().toStdString(),
                              request.defaultExtension);
}

bool QtDialogs::OpenDocument(const std::string& path) {
  return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
}

QString QtNameFilters(const std::string& filter) {
  const QStringList parts = QString::fromStdString(filter).split('|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    // Qt reads the patterns from the parentheses at the end of the description, separated by
    // blanks; the description's own parenthesised list is replaced by the real patterns.
    QString description = parts[i].trimmed();
    description.remove(QRegularExpression(R"(\s*\([^()]*\)\s*$)"));
    QStringList patterns;
    for (const QString& pattern : parts[i + 1].split(';', Qt::SkipEmptyParts)) {
      const QString trimmed = pattern.trimmed();
      patterns.append(trimmed == "*.*" ? QStringLiteral("*") : trimmed);
    }
    filters.append(description + " (" + patterns.join(' ') + ")");
  }
  return filters.join(";;");
}

std::string WithDefaultExtension(const std::string& path, const std::string& extension) {
  if (extension.empty()) return path;
  const std::filesystem::path file(path);
  if (file.has_extension()) return path;
  return path + (extension.front() == '.' ? extension : "." + extension);
}

std::optional<std::string> QtSettingsStore::Read(const std::string& name) {
  settings_.sync();
  if (settings_.status() != QSettings::NoError) return std::nullopt;
  const QString value = settings_.value(QString::fromStdString(name)).toString();
  if (value.isEmpty()) return std::nullopt;
  return value.toStdString();
}

bool QtSettingsStore::Write(const std::string& name, const std::string& text) {
  settings_.setValue(QString::fromStdString(name), QString::fromStdString(text));
  settings_.sync();
  return settings_.status() == QSettings::NoError;
}

void DrainOnPost(UiQueue& queue, QObject& context) {
  queue.SetWakeHandler([&queue, &context] {
    QMetaObject::invokeMethod(
        &context, [&queue] { queue.Drain(); }, Qt::QueuedConnection);
  });
  // Paint and expose events only: clicks and keys wait until the long action has returned.
  queue.SetRepaintHandler(
      [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); });
}

int HintTimingStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                               QStyleHintReturn* returned) const {
  if (hint == SH_ToolTip_WakeUpDelay) return kHintShowMs;
  return QProxyStyle::styleHint(hint, option, widget, returned);
}

}  // namespace zelkon::gui
