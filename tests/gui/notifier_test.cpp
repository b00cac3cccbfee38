// The desktop notifier against a notification service on a private session bus, as a desktop's
// would be: a notification arrives with its title and text, a bus without the service costs
// nothing, and the tray's state follows what it is told.
#include "notifier.h"

#include <gmock/gmock.h>

#include <QDBusConnection>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QVariantMap>

namespace zelkon::gui {
namespace {

class NotificationService final : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

 public slots:
  uint Notify(const QString& application, uint replaces, const QString& icon,
              const QString& summary, const QString& body, const QStringList& actions,
              const QVariantMap& hints, int timeout) {
    Q_UNUSED(replaces);
    Q_UNUSED(actions);
    Q_UNUSED(hints);
    seen.append(QStringList{application, icon, summary, body, QString::number(timeout)});
    return static_cast<uint>(seen.size());
  }

 public:
  QList<QStringList> seen;
};

TEST(DesktopNotifierTest, NotificationsReachTheServiceAndTheTrayFollowsTheState) {
  if (QStandardPaths::findExecutable("dbus-daemon").isEmpty()) {
    GTEST_SKIP() << "dbus-daemon is not installed (Debian package dbus-daemon)";
  }
  QProcess daemon;
  daemon.start("dbus-daemon", {"--session", "--nofork", "--nopidfile", "--print-address=1"});
  ASSERT_TRUE(daemon.waitForStarted(5000));
  ASSERT_TRUE(QTest::qWaitFor([&] { return daemon.canReadLine(); }, 5000));
  const QString address = QString::fromUtf8(daemon.readLine()).trimmed();

  QDBusConnection serviceBus = QDBusConnection::connectToBus(address, "zelkon-test-service");
  ASSERT_TRUE(serviceBus.isConnected()) << address.toStdString();
  NotificationService service;
  ASSERT_TRUE(serviceBus.registerObject("/org/freedesktop/Notifications", &service,
                                        QDBusConnection::ExportAllSlots));
  ASSERT_TRUE(serviceBus.registerService("org.freedesktop.Notifications"));

  {
    DesktopNotifier notifier(QDBusConnection::connectToBus(address, "zelkon-test-notifier"));
    EXPECT_EQ(notifier.State(), TrayState::Unknown);
    notifier.Notify("Receiver silent", "No data from the receiver for 3 s.");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !service.seen.isEmpty(); }, 5000));
    EXPECT_EQ(service.seen.front(), (QStringList{"Zelkon", "zelkon", "Receiver silent",
                                                 "No data from the receiver for 3 s.", "10000"}));

    notifier.ShowState(TrayState::Fault, "receiver silent");
    EXPECT_EQ(notifier.State(), TrayState::Fault);
    EXPECT_EQ(notifier.ToolTip(), "Zelkon: receiver silent");
    EXPECT_NE(DesktopNotifier::ColourOf(TrayState::Fault),
              DesktopNotifier::ColourOf(TrayState::Good));

    // Without the service the call fails at once and nothing waits for it.
    serviceBus.unregisterService("org.freedesktop.Notifications");
    notifier.Notify("PPS not generated", "The receiver has stopped generating its PPS output.");
    QTest::qWait(300);
    EXPECT_EQ(service.seen.size(), 1);
  }
  QDBusConnection::disconnectFromBus("zelkon-test-notifier");
  QDBusConnection::disconnectFromBus("zelkon-test-service");
  daemon.terminate();
  EXPECT_TRUE(daemon.waitForFinished(5000));
}

}  // namespace
}  // namespace zelkon::gui

#include "notifier_test.moc"
