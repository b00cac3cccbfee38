// The desktop's side of the notifier: notifications through the freedesktop notification service
// on the session bus (org.freedesktop.Notifications), and a tray icon coloured by the receiver's
// state (grey nothing heard yet, green working, yellow a warning, red a fault) with the state in
// its tool tip. Without a notification service the tray shows the message; without a tray and a
// service, nothing shows. Nothing here waits: a notification is sent without waiting for the
// service's answer.
#pragma once

#include <QColor>
#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <memory>

#include "platform/notifier.h"

class QSystemTrayIcon;

namespace zelkon::gui {

class DesktopNotifier final : public QObject, public Notifier {
  Q_OBJECT

 public:
  explicit DesktopNotifier(QDBusConnection bus = QDBusConnection::sessionBus());
  ~DesktopNotifier() override;

  void Notify(const std::string& title, const std::string& text) override;
  void ShowState(TrayState state, const std::string& summary) override;

  TrayState State() const { return state_; }
  // The tray's tool tip: "Zelkon: receiver silent".
  QString ToolTip() const { return toolTip_; }
  // The colour of a state's tray icon.
  static QColor ColourOf(TrayState state);

 signals:
  // The tray icon was clicked: the main window is wanted.
  void Activated();

 private:
  QDBusConnection bus_;
  std::unique_ptr<QSystemTrayIcon> tray_;
  TrayState state_ = TrayState::Unknown;
  QString toolTip_;
  bool shown_ = false;
};

}  // namespace zelkon::gui
