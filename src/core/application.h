// The application object: it owns the program-wide state, the windows, the serial channel and the
// platform seams. The user interface (or a headless runner, or a test) builds one, drives its
// timers and forwards user input to its window models.
#pragma once

#include <string>
#include <thread>
#include <vector>

#include "config/command_sender.h"
#include "core/clock.h"
#include "core/dialogs.h"
#include "core/main_form.h"
#include "core/settings_store.h"
#include "core/state.h"
#include "core/system_time.h"
#include "core/ui_queue.h"
#include "link/serial_channel.h"
#include "link/serial_port.h"
#include "tools/reset_test.h"

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

class Application final : public CommandSender {
 public:
  // Must be constructed on the user-interface thread.
  explicit Application(const Platform& platform);
  ~Application() override;
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // Main-window creation: opens the port of ComPortNumber (or DevicePath) and starts the start-up
  // port set-up. When the port cannot be opened it shows "Could not initialize COM%d." and returns
  // false: the program then ends without having sent anything.
  bool MainFormCreate();
  // Main-window close and destruction: closes the port and an open recording file.
  void MainFormClose();

  // The single send path of every command. Dropped while LinkReady is false; otherwise waits
  // kSendWaitMs, lights the Tx LED and writes the framed packet. Safe from any thread: frames never
  // interleave, and the LED change of a worker thread is handed to the user-interface thread.
  void SendCommand(int length, const uint8_t* bytes) override;

  bool OnUiThread() const { return std::this_thread::get_id() == uiThread_; }

  // Every window of the program, the main window first.
  std::vector<Form*> Forms();
  // Every timer of every window.
  std::vector<Timer*> Timers();

  Clock& clock;
  Dialogs& dialogs;
  SettingsStore& settings;
  SystemTime& systemTime;

  AppState state;
  UiQueue ui;
  SerialChannel channel;
  ResetTest resetTest;

  // The application title: "Corvane Receiver Monitor" at launch, "%d Zelkon" once the port is open.
  std::string Title = "Corvane Receiver Monitor";

  TForm_Main Form_Main;

 private:
  std::thread::id uiThread_;
};

}  // namespace zelkon
