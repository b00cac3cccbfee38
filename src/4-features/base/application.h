// The application as every feature sees it: the program-wide state, the serial channel, the
// platform seams, the single send path and the windows, found by their model class. Decoders and
// window handlers take this; the application layer builds the one concrete application
// (core/monitor.h), which creates every window of the window registry.
#pragma once

#include <atomic>
#include <functional>
#include <stop_token>
#include <string>
#include <thread>
#include <typeinfo>
#include <utility>
#include <vector>

#include "analysis/telemetry.h"
#include "base/reset_watch.h"
#include "base/segment_readback.h"
#include "base/state.h"
#include "commands/command_sender.h"
#include "link/serial_channel.h"
#include "link/serial_port.h"
#include "model/form.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/notifier.h"
#include "platform/settings_store.h"
#include "platform/system_time.h"
#include "platform/ui_queue.h"

namespace zelkon {

// The pause every command waits before it is written.
inline constexpr int kSendWaitMs = 100;
// The pause between the commands of one action.
inline constexpr int kCommandPauseMs = 200;

// The platform services the application uses; each has a real and a test implementation.
struct Platform {
  SerialPort& port;
  Clock& clock;
  Dialogs& dialogs;
  SettingsStore& settings;
  SystemTime& systemTime;
};

class Application : public CommandSender {
 public:
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;
  ~Application() override = default;

  // The window whose model class is T. Every window exists from start-up to the end.
  template <class T>
  T& Window() const {
    return static_cast<T&>(WindowOf(typeid(T)));
  }

  // The state a feature keeps for itself (the packet recording): one object of each type, owned by
  // the application's assembly and registered there as the windows are.
  template <class T>
  T& Feature() const {
    return *static_cast<T*>(FeatureOf(typeid(T)));
  }

  // Every window of the program, the main window first.
  const std::vector<Form*>& Forms() const { return forms_; }

  // The single send path of every command (CommandSender::SendCommand), and the poll loop's read:
  // what the port holds is read and every completed packet dispatched to its decoder.
  virtual void ReadAndDispatchReports() = 0;
  // The send path of a worker thread: as SendCommand, but its pause ends early, and nothing is
  // sent, once `stop` is requested.
  virtual void SendCommandUnlessStopped(const std::stop_token& stop,
                                        std::span<const uint8_t> packet) = 0;

  // Runs `task` on the user-interface thread once the packet loop has finished feeding. A decoder
  // never blocks: a question, a message or a file dialog it needs goes here, and while that box is
  // open the poll loop goes on reading and the windows keep updating.
  void AfterPacketLoop(std::function<void()> task) { ui.Post(std::move(task)); }

  bool OnUiThread() const { return std::this_thread::get_id() == uiThread_; }

  // The desktop's notifications and tray; none until the user interface gives its own.
  Notifier& Notifications() const { return *notifier_; }
  void SetNotifier(Notifier& notifier) { notifier_ = &notifier; }

  // The program's request to end (SIGINT, SIGTERM), as its signal handler sets it. The program's
  // own loop ends on it; a long action of the user-interface thread with a loop of its own (an
  // almanac transfer) looks at it between its steps and ends early.
  void WatchStopRequest(const std::atomic<bool>& stop) { stopRequest_ = &stop; }
  bool StopRequested() const { return stopRequest_ != nullptr && stopRequest_->load(); }
  // A blocking wait of the user-interface thread that a stop request cuts short (it looks at the
  // request every kStopCheckMs); false when it did.
  bool SleepUnlessStopRequested(int64_t ms);
  static constexpr int64_t kStopCheckMs = 100;

  Clock& clock;
  Dialogs& dialogs;
  SettingsStore& settings;
  SystemTime& systemTime;

  AppState state;
  UiQueue ui;
  SerialChannel channel;
  ResetTest resetTest;
  IoMeter ioMeter;
  SegmentReadback segmentReadback;
  // The receiver as the decoded reports tell it: newest values, counts and histories.
  Telemetry telemetry;

  // The application title: "Corvane Receiver Monitor" at launch, "%d Zelkon" once the port is open.
  std::string Title = "Corvane Receiver Monitor";

  // The segment check of the reset diagnostics, the one worker thread. The application stops and
  // joins it before its windows and its port go away; assigning a new thread stops the old one.
  std::jthread segmentCheckWorker;

 protected:
  // Must be constructed on the user-interface thread.
  explicit Application(const Platform& platform);

  // Makes `form` the window of model class `type`; the first registered is the main window.
  void RegisterWindow(const std::type_info& type, Form& form);
  // Makes `feature` the state of the feature whose state has type `type`.
  void RegisterFeature(const std::type_info& type, void* feature);

 private:
  // Ends the program when no window of that class was registered: a fault of the window registry
  // that every test run finds at once.
  Form& WindowOf(const std::type_info& type) const;
  void* FeatureOf(const std::type_info& type) const;

  // Room for every window of the registry, so that registering them does not regrow the lists.
  static constexpr size_t kUsualWindows = 48;
  std::vector<std::pair<const std::type_info*, Form*>> windows_;
  std::vector<Form*> forms_;
  std::vector<std::pair<const std::type_info*, void*>> features_;
  std::thread::id uiThread_;
  const std::atomic<bool>* stopRequest_ = nullptr;
  NoNotifier noNotifier_;
  Notifier* notifier_ = &noNotifier_;
};

}  // namespace zelkon
