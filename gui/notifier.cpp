#include "notifier.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QVariantMap>

namespace zelkon::gui {
namespace {

constexpr const char* kService = "org.freedesktop.Notifications";
constexpr const char* kPath = "/org/freedesktop/Notifications";
// How long a notification stays, in ms; -1 would leave it to the service.
constexpr int kNotificationMs = 10000;

QIcon Disc(const QColor& colour) {
  QPixmap pixmap(32, 32);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(colour.darker(150), 2));
  painter.setBrush(colour);
  painter.drawEllipse(QRectF(3, 3, 26, 26));
  return QIcon(pixmap);
}

}  // namespace

DesktopNotifier::DesktopNotifier(QDBusConnection bus) : bus_(std::move(bus)) {
  if (QSystemTrayIcon::isSystemTrayAvailable()) {
    tray_ = std::make_unique<QSystemTrayIcon>();
    connect(tray_.get(), &QSystemTrayIcon::activated, this, &DesktopNotifier::Activated);
  }
  ShowState(TrayState::Unknown, "nothing heard from the receiver yet");
}

DesktopNotifier::~DesktopNotifier() = default;

QColor DesktopNotifier::ColourOf(TrayState state) {
  switch (state) {
    case TrayState::Good:
      return QColor(0x2E, 0xA0, 0x43);
    case TrayState::Warning:
      return QColor(0xE0, 0xB0, 0x00);
    case TrayState::Fault:
      return QColor(0xD0, 0x30, 0x30);
    case TrayState::Unknown:
      break;
  }
  return QColor(0x90, 0x90, 0x90);
}

void DesktopNotifier::Notify(const std::string& title, const std::string& text) {
  const QString summary = QString::fromStdString(title);
  const QString body = QString::fromStdString(text);
  const auto inTray = [this, summary, body] {
    if (tray_ != nullptr)
      tray_->showMessage(summary, body, QSystemTrayIcon::Warning, kNotificationMs);
  };
  if (!bus_.isConnected()) return inTray();
  QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kService, "Notify");
  call << QString("Zelkon") << 0U << QString("zelkon") << summary << body << QStringList()
       << QVariantMap() << kNotificationMs;
  // The answer is not waited for; a bus without the service makes it the tray's message.
  auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this,
          [inTray](QDBusPendingCallWatcher* finished) {
            if (finished->isError()) inTray();
            finished->deleteLater();
          });
}

void DesktopNotifier::ShowState(TrayState state, const std::string& summary) {
  const QString tip = "Zelkon: " + QString::fromStdString(summary);
  if (shown_ && state == state_ && tip == toolTip_) return;
  shown_ = true;
  state_ = state;
  toolTip_ = tip;
  if (tray_ == nullptr) return;
  tray_->setIcon(Disc(ColourOf(state)));
  tray_->setToolTip(tip);
  tray_->show();
}

}  // namespace zelkon::gui
