// The platform seams of the core on Qt: message boxes and the file dialog, the settings store,
// and the wake-up of the user-interface thread when another thread posts work.
#pragma once

#include <QProxyStyle>
#include <QSettings>
#include <QString>

#include "platform/dialogs.h"
#include "platform/settings_store.h"
#include "platform/ui_queue.h"

class QObject;

namespace zelkon::gui {

// Modal QMessageBoxes and a QFileDialog, over the window that is active.
class QtDialogs final : public Dialogs {
 public:
  Answer MessageBox(const std::string& text, const std::string& caption, Buttons buttons,
                    Icon icon) override;
  // The detail is the box's informative text, under its message.
  Answer MessageBoxWithDetail(const std::string& text, const std::string& detail,
                              const std::string& caption, Buttons buttons, Icon icon) override;
  std::optional<std::string> ChooseFile(const FileDialogRequest& request) override;
  bool OpenDocument(const std::string& path) override;
};

// "Data Files (*.dat)|*.dat|All Files (*.*)|*.*" as a Qt name filter list:
// "Data Files (*.dat);;All Files (*)". Patterns of one entry are separated by ';'; "*.*" means
// every file.
QString QtNameFilters(const std::string& filter);

// `path` with `extension` (".dat") added when its file name has none.
std::string WithDefaultExtension(const std::string& path, const std::string& extension);

// QSettings of organisation "Kestrin", application "Zelkon": the same file the headless run's
// IniSettingsStore uses.
class QtSettingsStore final : public SettingsStore {
 public:
  QtSettingsStore() : settings_("Kestrin", "Zelkon") {}
  std::optional<std::string> Read(const std::string& name) override;
  bool Write(const std::string& name, const std::string& text) override;

 private:
  QSettings settings_;
};

// Makes every post to `queue` schedule a drain on the thread of `context` (the user-interface
// thread's application object), and lets a long action on that thread repaint the windows.
void DrainOnPost(UiQueue& queue, QObject& context);

// The platform's own style, but hints come up after kHintShowMs of rest.
class HintTimingStyle final : public QProxyStyle {
 public:
  using QProxyStyle::QProxyStyle;
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returned) const override;
};

}  // namespace zelkon::gui
