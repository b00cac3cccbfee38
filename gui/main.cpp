// zelkon: the monitor. With a display, the windows; without one (or with --headless), the same
// application driven by the core's event loop, printing the main window's state as JSON lines.
#include <QApplication>
#include <QDir>
#include <QFont>
#include <QMessageBox>
#include <QPixmap>
#include <QTimer>
#include <atomic>
#include <csignal>
#include <cstdlib>
#include <exception>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <optional>

#include "adapters.h"
#include "core/headless.h"
#include "core/metrics_publisher.h"
#include "core/monitor.h"
#include "core/output.h"
#include "core/replay.h"
#include "core/script_console.h"
#include "core/startup.h"
#include "link/stamping_serial_port.h"
#include "main/comm_form.h"
#include "net/metrics_server.h"
#include "notifier.h"
#include "platform/event_loop.h"
#include "platform/headless_dialogs.h"
#include "platform/ini_settings.h"
#include "platform/replay_serial_port.h"
#include "platform/session_settings.h"
#include "receiver/receiver_type.h"
#include "remote/device_port.h"
#include "sim/demo.h"
#include "timefeed/daemon_feeds.h"
#include "windows.h"

namespace {

using namespace zelkon;

constexpr int kUsageError = 2;
// The interface font size the windows are laid out for.
constexpr int kInterfaceFontPixels = 11;

std::atomic<bool> stopRequested{false};

void RequestStop(int) { stopRequested = true; }

bool HasDisplay() {
  for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') return true;
  }
  return false;
}

PortChoice ChoiceFromOptions(const LaunchOptions& options) {
  PortChoice choice;
  choice.number = options.comPort.value_or(0);
  // A recording is opened by its path, like a device: the title and Panel_Serial show it.
  choice.devicePath = options.replayPath.empty() ? options.devicePath : options.replayPath;
  choice.demo = options.demo;
  return choice;
}

// Starts the emulator when the choice asks for it; false when it cannot start.
bool StartDemo(PortChoice& choice, std::unique_ptr<sim::DemoReceiver>& demo) {
  if (!choice.demo) return true;
  demo = std::make_unique<sim::DemoReceiver>();
  choice.devicePath = demo->Start();
  if (choice.devicePath.empty()) {
    std::cerr << "zelkon: the receiver emulator could not start\n";
    return false;
  }
  return true;
}

void ApplyChoice(Application& app, const PortChoice& choice, bool engineeringMode) {
  app.state.ComPortNumber = choice.number;
  app.state.DevicePath = choice.devicePath;
  app.state.EngineeringMode = engineeringMode;
}

// Stores the answer --ntp gives; false, with a message, when the store cannot be written.
bool StoreNtpOption(const LaunchOptions& options, SettingsStore& store) {
  if (!options.ntp || WriteNtpSetting(store, *options.ntp ? 1 : 0)) return true;
  std::cerr << "zelkon: the NTP setting could not be stored\n";
  return false;
}

// Starts the metrics endpoint --metrics-listen asks for, serving what `metrics` holds; false,
// with the reason on standard error, when it cannot listen there.
bool StartMetricsEndpoint(const LaunchOptions& options, MetricsPublisher& metrics,
                          net::MetricsServer& server) {
  if (!options.metricsListen) return true;
  std::string why;
  if (!server.Start(
          options.metricsListen->address, options.metricsListen->port,
          [&metrics] { return metrics.Text(); }, why)) {
    std::cerr << "zelkon: " << why << "\n";
    return false;
  }
  std::cerr << "zelkon: metrics at " << server.Url() << std::endl;
  return true;
}

// Opens the file the message log is kept in past the run; a folder or file that cannot be had is
// said on standard error, and the run goes on with the log in its window only.
void OpenMessageLogFile(Monitor& app) {
  const std::string path = MessageLogFile::DefaultPath();
  if (path.empty()) return;
  if (!app.messageLogFile.Open(path)) {
    std::cerr << "zelkon: message log file: " << app.messageLogFile.Failure() << "\n";
  }
}

// The reference clocks --refclock names, fed from the device port read as its bytes arrive, so that
// each report carries the time its first byte came.
struct ReferenceClockFeeds {
  std::vector<std::unique_ptr<TimeFeed>> feeds;
  std::optional<StampingSerialPort> stamped;

  SerialPort& Port(const std::vector<TimeFeedAddress>& clocks, SerialPort& device) {
    if (clocks.empty()) return device;
    for (const TimeFeedAddress& address : clocks)
      feeds.push_back(MakeTimeFeed(address));
    return stamped.emplace(device);
  }
  void HandTo(Monitor& app) {
    for (const auto& feed : feeds)
      app.referenceClocks.Add(*feed);
  }
};

// ---- Without windows ----------------------------------------------------------------------------

int RunWithoutWindows(const LaunchOptions& options) {
  if (!options.HasPort()) {
    std::cerr << "zelkon: a run without windows needs a port: -cN, --device PATH, --demo or "
                 "--replay FILE\n";
    return kUsageError;
  }
  // Interrupting is a normal end from the start on (a shell may start us with SIGINT ignored), and
  // so is a hang-up (the terminal closed, a service reloaded): the recording is written out whole.
  std::signal(SIGINT, RequestStop);
  std::signal(SIGTERM, RequestStop);
  std::signal(SIGHUP, RequestStop);
  // The endpoint listens before anything else starts, so that a port it cannot have ends the run
  // at once. Its thread reads only the publisher, and stops (joined) before the publisher goes.
  MetricsPublisher metrics;
  net::MetricsServer metricsServer;
  if (!StartMetricsEndpoint(options, metrics, metricsServer)) return 1;
  PortChoice choice = ChoiceFromOptions(options);
  std::unique_ptr<sim::DemoReceiver> demo;
  if (!StartDemo(choice, demo)) return 1;

  // A headless replay as fast as it goes runs without waiting: its clock moves on at every wait. A
  // script keeps the real clock, so that it can wait for input.
  const bool replaying = !options.replayPath.empty();
  const bool unpaced = replaying && options.scriptPath.empty() &&
                       options.replaySpeed == ReplaySerialPort::kAsFastAsPossible;
  SteadyClock steadyClock;
  InstantClock instantClock;
  Clock& clock = unpaced ? static_cast<Clock&>(instantClock) : steadyClock;
  remote::DevicePort devicePort;
  ReferenceClockFeeds referenceClocks;
  ReplaySerialPort replayPort(clock, options.replaySpeed, std::cerr);
  SerialPort& port = replaying ? static_cast<SerialPort&>(replayPort)
                               : referenceClocks.Port(options.referenceClocks, devicePort);
  HeadlessDialogs dialogs(std::cerr);
  IniSettingsStore storedSettings(IniSettingsStore::DefaultPath());
  if (!StoreNtpOption(options, storedSettings)) return 1;
  // Nobody answers the boxes of this run: what they answer lasts for the run only.
  SessionSettings settings(storedSettings);
  PosixSystemTime systemTime;
  Monitor app(Platform{port, clock, dialogs, settings, systemTime});
  app.WatchStopRequest(stopRequested);
  referenceClocks.HandTo(app);
  ApplyChoice(app, choice, options.engineeringMode);
  OpenMessageLogFile(app);
  if (replaying) SetUpReplay(app, replayPort, std::cerr);
  if (!app.MainFormCreate()) return 1;
  // Without a display the main window is still the one showing: the console reaches its menus.
  app.Form_Main.Show();
  if (options.metricsListen) PublishMetricsAfterEveryPollTick(app, metrics);

  EventLoop loop(clock, app.ui, app.Timers());
  int status = 0;
  if (options.scriptPath.empty()) {
    // A replay ends at the end of its recording, with the final state printed.
    std::function<bool()> ended;
    if (replaying) ended = [&replayPort] { return replayPort.Finished(); };
    status = RunHeadless(app, loop, std::cout, std::cerr, stopRequested, ended);
  } else {
    status =
        RunScriptFile(app, loop, dialogs, options.scriptPath, std::cout, std::cerr, stopRequested);
  }
  app.MainFormClose();
  if (demo) demo->Stop();
  // A recording that lost packets to a failed write is a run that did not do what it was asked.
  return status == 0 && app.recording.Failures > 0 ? 1 : status;
}

// ---- With windows -------------------------------------------------------------------------------

// Ends the program with the message of an exception that escaped an event handler.
class MonitorApplication final : public QApplication {
 public:
  using QApplication::QApplication;

  bool notify(QObject* receiver, QEvent* event) override {
    try {
      return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
      Fail(error.what());
    } catch (...) {
      Fail("unknown exception");
    }
    return false;
  }

  static void Fail(const QString& text) {
    QMessageBox::critical(nullptr, QApplication::applicationDisplayName(), text);
    QCoreApplication::exit(1);
  }
};

// The port chooser: "COM 1" .. "COM 20", the serial devices found, the remote ports chosen before,
// the emulator, and a remote port typed by name. Nothing when the operator cancels.
std::optional<PortChoice> ChoosePort() {
  // The run that follows keeps its own store of the same file.
  gui::QtSettingsStore settings;
  TForm_Comm chooser(ChooserEntries(ListSerialDevices(), settings));
  const gui::WindowType* type = gui::FindWindowType(chooser.ClassName());
  gui::BoundWindow window = gui::CreateBoundWindow(*type, chooser, nullptr);
  std::optional<PortChoice> choice;
  chooser.Button_Continue.OnClick = [&] {
    // A remote port name that cannot be opened keeps the chooser open, with the reason shown.
    choice = AcceptChooser(chooser, settings);
    if (choice) chooser.Close();
  };
  chooser.Button_Cancel.OnClick = [&] {
    choice.reset();
    chooser.Close();
  };
  window.binder->RunModal();
  return choice;
}

bool SavePng(QWidget& widget, const QString& file) {
  if (widget.grab().save(file, "PNG")) return true;
  std::cerr << "zelkon: could not write " << file.toStdString() << "\n";
  return false;
}

// How often the windowed run looks whether a signal asked it to end.
constexpr int kStopWatchMs = 200;

// How long the windows opened for a screenshot wait for the answers to their queries.
constexpr int kAnswersArriveMs = 2500;

// Renders the main window, or every registered window, once the run has gone on long enough. For
// every window each is opened as its menu item opens it, and drawn once its answers have arrived.
void ScheduleScreenshots(const LaunchOptions& options, Monitor& app,
                         std::vector<gui::BoundWindow>& windows,
                         const std::vector<std::string>& chooserItems) {
  const int afterMs = static_cast<int>(options.screenshotAfter * 1000);
  const auto saveAll = [&options, &windows, chooserItems] {
    bool saved = true;
    if (!options.screenshotFile.empty()) {
      saved = SavePng(*windows.front().widget, QString::fromStdString(options.screenshotFile));
    }
    if (!options.screenshotDir.empty()) {
      const QDir dir(QString::fromStdString(options.screenshotDir));
      if (!dir.mkpath(".")) {
        std::cerr << "zelkon: could not create " << options.screenshotDir << "\n";
        QCoreApplication::exit(1);
        return;
      }
      // The chooser exists only before the application; a fresh one stands in for it.
      TForm_Comm chooser(chooserItems);
      gui::BoundWindow chooserWindow =
          gui::CreateBoundWindow(*gui::FindWindowType(chooser.ClassName()), chooser, nullptr);
      chooser.Show();
      QCoreApplication::processEvents();
      const auto save = [&](gui::BoundWindow& window) {
        const std::string file = window.binder->form().ClassName() + ".png";
        saved &= SavePng(*window.widget, dir.filePath(QString::fromStdString(file)));
      };
      save(chooserWindow);
      for (gui::BoundWindow& window : windows)
        save(window);
    }
    QCoreApplication::exit(saved ? 0 : 1);
  };
  QTimer::singleShot(afterMs, qApp, [&options, &app, &windows, saveAll] {
    if (options.screenshotDir.empty()) return saveAll();
    for (gui::BoundWindow& window : windows) {
      Form& form = window.binder->form();
      OpenWindow(app, form);
      // A window its menu item does not open in this mode is drawn all the same.
      if (!form.Visible()) form.Show();
    }
    QTimer::singleShot(kAnswersArriveMs, qApp, saveAll);
  });
}

int RunWithWindows(const LaunchOptions& options) {
  const bool screenshot = !options.screenshotFile.empty() || !options.screenshotDir.empty();
  std::vector<std::string> chooserItems = ListSerialDevices();
  chooserItems.push_back(kEmulatorEntry);

  PortChoice choice = ChoiceFromOptions(options);
  if (!options.HasPort()) {
    if (screenshot) {
      std::cerr << "zelkon: a screenshot needs a port: -cN, --device PATH or --demo\n";
      return kUsageError;
    }
    const std::optional<PortChoice> chosen = ChoosePort();
    if (!chosen) return 0;
    choice = *chosen;
  }
  MetricsPublisher metrics;
  net::MetricsServer metricsServer;
  if (!StartMetricsEndpoint(options, metrics, metricsServer)) return 1;
  std::unique_ptr<sim::DemoReceiver> demo;
  if (!StartDemo(choice, demo)) return 1;

  SteadyClock clock;
  const bool replaying = !options.replayPath.empty();
  remote::DevicePort devicePort;
  ReferenceClockFeeds referenceClocks;
  ReplaySerialPort replayPort(clock, options.replaySpeed, std::cerr);
  // The command line's reference clocks, else those of the settings (a screenshot feeds none).
  std::vector<TimeFeedAddress> clocks = options.referenceClocks;
  if (clocks.empty() && !screenshot && !replaying) {
    gui::QtSettingsStore stored;
    clocks = StoredReferenceClocks(stored, std::cerr);
  }
  SerialPort& port =
      replaying ? static_cast<SerialPort&>(replayPort) : referenceClocks.Port(clocks, devicePort);
  // A screenshot run shows no boxes that wait for an answer: they are printed and answered with
  // the button that sends nothing.
  gui::QtDialogs qtDialogs;
  HeadlessDialogs printedDialogs(std::cerr);
  Dialogs& dialogs = screenshot ? static_cast<Dialogs&>(printedDialogs) : qtDialogs;
  gui::QtSettingsStore storedSettings;
  if (!StoreNtpOption(options, storedSettings)) return 1;
  // A screenshot run reads the stored settings but keeps its own answers to itself.
  SessionSettings sessionSettings(storedSettings);
  SettingsStore& settings =
      screenshot ? static_cast<SettingsStore&>(sessionSettings) : storedSettings;
  PosixSystemTime systemTime;
  // The tray and the desktop's notifications, which outlive the application that tells them; a
  // screenshot run has no business with either.
  std::unique_ptr<gui::DesktopNotifier> notifier;
  if (!screenshot) notifier = std::make_unique<gui::DesktopNotifier>();
  Monitor app(Platform{port, clock, dialogs, settings, systemTime});
  app.WatchStopRequest(stopRequested);
  referenceClocks.HandTo(app);
  gui::DrainOnPost(app.ui, *qApp);
  ApplyChoice(app, choice, options.engineeringMode);
  // A screenshot run leaves no trace in the log of the runs that watch the receiver.
  if (!screenshot) OpenMessageLogFile(app);

  // The windows keep the state the recording ends in, and nothing in them sends.
  if (replaying) SetUpReplay(app, replayPort, std::cerr);
  std::vector<gui::BoundWindow> windows = gui::CreateWindows(app);
  if (notifier) {
    app.SetNotifier(*notifier);
    QObject::connect(notifier.get(), &gui::DesktopNotifier::Activated, qApp,
                     [&app] { app.Form_Main.Show(); });
  }
  if (!app.MainFormCreate()) {
    std::cerr << "zelkon: could not initialize " << app.state.PortLabel() << ": "
              << app.channel.OpenFailure() << "\n";
    if (demo) demo->Stop();
    return 1;
  }
  QApplication::setApplicationDisplayName(QString::fromStdString(app.Title));
  if (options.metricsListen) PublishMetricsAfterEveryPollTick(app, metrics);
  // SIGINT, SIGTERM and SIGHUP end the run through its normal end, as without windows: the port is
  // closed and the device given back its settings, the recording written out and closed. The
  // handler only sets the flag a timer looks at.
  std::signal(SIGINT, RequestStop);
  std::signal(SIGTERM, RequestStop);
  std::signal(SIGHUP, RequestStop);
  QTimer stopWatch;
  QObject::connect(&stopWatch, &QTimer::timeout, [] {
    if (stopRequested) QCoreApplication::exit(0);
  });
  stopWatch.start(kStopWatchMs);

  // Closing the main window ends the run.
  const Handler closeMain = app.Form_Main.OnClose;
  app.Form_Main.OnClose = [closeMain] {
    if (closeMain) closeMain();
    QCoreApplication::exit(0);
  };
  app.Form_Main.Show();
  if (screenshot) ScheduleScreenshots(options, app, windows, chooserItems);

  const int result = QApplication::exec();
  app.MainFormClose();
  if (demo) demo->Stop();
  return result == 0 && app.recording.Failures > 0 ? 1 : result;
}

}  // namespace

int main(int argc, char** argv) {
  const auto parsed = ParseCommandLine(argc, argv);
  if (const auto* error = std::get_if<std::string>(&parsed)) {
    std::cerr << "zelkon: " << *error << "\nTry 'zelkon --help'.\n";
    return kUsageError;
  }
  const LaunchOptions& options = std::get<LaunchOptions>(parsed);
  if (options.showHelp) return WriteOutput(std::cout, std::cerr, LaunchUsage()) ? 0 : kOutputFailed;
  if (options.showVersion) {
    return WriteOutput(std::cout, std::cerr, std::string("zelkon ") + ProgramVersion() + "\n")
               ? 0
               : kOutputFailed;
  }

  const bool screenshot = !options.screenshotFile.empty() || !options.screenshotDir.empty();
  if (options.headless) return RunWithoutWindows(options);
  if (!screenshot && !HasDisplay()) {
    std::cerr << "zelkon: no display (neither DISPLAY nor WAYLAND_DISPLAY is set); running without "
                 "windows\n";
    return RunWithoutWindows(options);
  }

  // Screenshots render off screen unless a platform was chosen.
  if (screenshot && std::getenv("QT_QPA_PLATFORM") == nullptr) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  }
  MonitorApplication qapp(argc, argv);
  // The windows are laid out in pixels for a compact interface font of 11 pixels: the platform's
  // own family, at that size.
  QFont interfaceFont = QApplication::font();
  interfaceFont.setPixelSize(kInterfaceFontPixels);
  QApplication::setFont(interfaceFont);
  QApplication::setStyle(new gui::HintTimingStyle(QApplication::style()->name()));
  QApplication::setOrganizationName("Kestrin");
  QApplication::setApplicationName("Zelkon");
  QApplication::setApplicationDisplayName("Corvane Receiver Monitor");
  try {
    return RunWithWindows(options);
  } catch (const std::exception& error) {
    MonitorApplication::Fail(error.what());
    return 1;
  }
}
