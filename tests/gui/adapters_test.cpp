#include "adapters.h"

#include <gmock/gmock.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <thread>

#include "platform/ini_settings.h"

namespace zelkon::gui {
namespace {

TEST(FileDialogTest, FilterBecomesQtNameFilters) {
  EXPECT_EQ(QtNameFilters("Data Files (*.dat)|*.dat|All Files (*.*)|*.*"),
            "Data Files (*.dat);;All Files (*)");
  // Several patterns of one entry; a description without its own pattern list.
  EXPECT_EQ(QtNameFilters("Logs (*.txt)|*.txt;*.log|Recordings|*.rxb"),
            "Logs (*.txt *.log);;Recordings (*.rxb)");
  EXPECT_EQ(QtNameFilters(""), "");
}

TEST(FileDialogTest, DefaultExtensionOnlyWhenTheNameHasNone) {
  EXPECT_EQ(WithDefaultExtension("/home/op/almanac", ".dat"), "/home/op/almanac.dat");
  EXPECT_EQ(WithDefaultExtension("/home/op/almanac.bin", ".dat"), "/home/op/almanac.bin");
  // A dot in a folder name is not an extension of the file.
  EXPECT_EQ(WithDefaultExtension("/home/op.d/almanac", ".dat"), "/home/op.d/almanac.dat");
  EXPECT_EQ(WithDefaultExtension("/home/op/almanac", "dat"), "/home/op/almanac.dat");
  EXPECT_EQ(WithDefaultExtension("/home/op/almanac", ""), "/home/op/almanac");
}

// Runs `act` on the message box once it is shown; closes any box left open after a while, so a
// failing test cannot hang.
template <class Box>
void WhenShown(std::function<void(Box&)> act) {
  auto* poll = new QTimer(qApp);
  auto tries = std::make_shared<int>(0);
  QObject::connect(poll, &QTimer::timeout, qApp, [poll, tries, act] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      auto* box = qobject_cast<Box*>(widget);
      if (box == nullptr || !box->isVisible()) continue;
      poll->deleteLater();
      poll->stop();
      if (++*tries > 250) {
        static_cast<QDialog*>(box)->done(0);
      } else {
        act(*box);
      }
      return;
    }
    if (++*tries > 250) {
      poll->stop();
      poll->deleteLater();
    }
  });
  poll->start(20);
}

void WhenBoxShown(std::function<void(QMessageBox&)> act) { WhenShown<QMessageBox>(act); }

// Types `path` into the file dialog's name field, as the operator would.
void TypeFileName(QFileDialog& dialog, const QString& path) {
  auto* field = dialog.findChild<QLineEdit*>("fileNameEdit");
  ASSERT_NE(field, nullptr);
  field->setText(path);
}

// A save names a file to write: titled and buttoned as a save, and a file that exists is replaced
// only after a question; an open is titled as one and takes only a file that exists.
TEST(QtDialogsTest, SaveAndOpenDialogsSayWhatTheyDo) {
  QtDialogs dialogs;
  QTemporaryDir dir;
  const QString existing = dir.filePath("day.rxb");
  QFile(existing).open(QIODevice::WriteOnly);

  QString title;
  QString question;
  bool saving = false;
  WhenShown<QFileDialog>([&](QFileDialog& dialog) {
    title = dialog.windowTitle();
    saving = dialog.acceptMode() == QFileDialog::AcceptSave;
    TypeFileName(dialog, existing);
    WhenBoxShown([&](QMessageBox& box) {
      question = box.text();
      box.button(QMessageBox::No)->click();
    });
    static_cast<QDialog&>(dialog).accept();  // refused: the question was answered No
    if (dialog.isVisible()) dialog.reject();
  });
  EXPECT_EQ(dialogs.SaveFile({" ", ".rxb", "RXBIN Files (*.rxb)|*.rxb"}), std::nullopt);
  EXPECT_EQ(title, "Save As");
  EXPECT_TRUE(saving);
  EXPECT_THAT(question.toStdString(), ::testing::HasSubstr("already exists"));

  QFileDialog::FileMode mode = QFileDialog::AnyFile;
  WhenShown<QFileDialog>([&](QFileDialog& dialog) {
    title = dialog.windowTitle();
    saving = dialog.acceptMode() == QFileDialog::AcceptSave;
    mode = dialog.fileMode();
    TypeFileName(dialog, existing);
    static_cast<QDialog&>(dialog).accept();
    if (dialog.isVisible()) dialog.reject();
  });
  EXPECT_EQ(dialogs.OpenFile({" ", ".rxb", "RXBIN Files (*.rxb)|*.rxb"}), existing.toStdString());
  EXPECT_EQ(title, "Open");
  EXPECT_FALSE(saving);
  EXPECT_EQ(mode, QFileDialog::ExistingFile);
}

TEST(QtDialogsTest, MessageBoxShowsTheTextCaptionButtonsAndIconAndReturnsTheAnswer) {
  QtDialogs dialogs;
  QString text;
  QString caption;
  QMessageBox::StandardButtons buttons;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  WhenBoxShown([&](QMessageBox& box) {
    text = box.text();
    caption = box.windowTitle();
    buttons = box.standardButtons();
    icon = box.icon();
    box.button(QMessageBox::Yes)->click();
  });
  EXPECT_EQ(dialogs.MessageBox("Do you really want to clear RAM?\n<b>now</b>", "Cold reset?",
                               Buttons::YesNo, Icon::Question),
            Answer::Yes);
  EXPECT_EQ(text, "Do you really want to clear RAM?\n<b>now</b>");
  EXPECT_EQ(caption, "Cold reset?");
  EXPECT_EQ(buttons, QMessageBox::Yes | QMessageBox::No);
  EXPECT_EQ(icon, QMessageBox::Question);

  WhenBoxShown([&](QMessageBox& box) {
    buttons = box.standardButtons();
    icon = box.icon();
    box.button(QMessageBox::Ok)->click();
  });
  EXPECT_EQ(dialogs.MessageBox("Save?", "Save All Segments", Buttons::OkCancel, Icon::Exclamation),
            Answer::Ok);
  EXPECT_EQ(buttons, QMessageBox::Ok | QMessageBox::Cancel);
  EXPECT_EQ(icon, QMessageBox::Warning);
}

TEST(QtDialogsTest, ClosingTheBoxAnswersWithTheButtonThatSendsNothing) {
  QtDialogs dialogs;
  WhenBoxShown([](QMessageBox& box) { box.close(); });
  EXPECT_EQ(dialogs.MessageBox("Proceed?", "Reset receiver?", Buttons::YesNo, Icon::Question),
            Answer::No);
  WhenBoxShown([](QMessageBox& box) { box.close(); });
  EXPECT_EQ(
      dialogs.MessageBox("Proceed?", "Default All Segments", Buttons::OkCancel, Icon::Exclamation),
      Answer::Cancel);
}

// The windowed program and a headless run keep "NTP" in the same file, each able to read what
// the other wrote. (Each direction uses a file of its own: the Qt store caches a file it has read.)
TEST(QtSettingsStoreTest, SharesItsFileWithTheHeadlessStore) {
  QTemporaryDir qtFirst;
  ASSERT_TRUE(qtFirst.isValid());
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, qtFirst.path());
  QtSettingsStore qt;
  EXPECT_EQ(qt.Read("NTP"), std::nullopt);
  EXPECT_TRUE(qt.Write("NTP", "1"));
  IniSettingsStore ini((qtFirst.path() + "/Kestrin/Zelkon.conf").toStdString());
  EXPECT_EQ(ini.Read("NTP"), "1");
  EXPECT_TRUE(qt.Write("NTP", ""));
  EXPECT_EQ(qt.Read("NTP"), std::nullopt);

  QTemporaryDir iniFirst;
  ASSERT_TRUE(iniFirst.isValid());
  IniSettingsStore headless((iniFirst.path() + "/Kestrin/Zelkon.conf").toStdString());
  EXPECT_TRUE(headless.Write("NTP", "0"));
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, iniFirst.path());
  QtSettingsStore windowed;
  EXPECT_EQ(windowed.Read("NTP"), "0");
}

TEST(UiQueueWakeTest, WorkPostedByAnotherThreadRunsOnTheGuiThread) {
  UiQueue queue;
  QObject context;
  DrainOnPost(queue, context);
  bool ran = false;
  std::thread::id ranOn;
  std::thread worker([&] {
    queue.Post([&] {
      ran = true;
      ranOn = std::this_thread::get_id();
    });
  });
  worker.join();
  EXPECT_FALSE(ran);  // the task waits for the GUI thread's loop
  for (int i = 0; i < 100 && !ran; ++i)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  EXPECT_TRUE(ran);
  EXPECT_EQ(ranOn, std::this_thread::get_id());
  EXPECT_TRUE(queue.Empty());
}

}  // namespace
}  // namespace zelkon::gui
