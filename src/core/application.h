// The application object: it owns the program-wide state, the windows, the serial channel and the
// platform seams. The user interface (or a headless runner, or a test) builds one, drives its
// timers and forwards user input to its window models.
#pragma once

#include <string>
#include <thread>
#include <vector>

#include "config/altitude_form.h"
#include "config/command_sender.h"
#include "config/packet_masks_form.h"
#include "config/serial_form.h"
#include "config/timing_out_form.h"
#include "core/about_form.h"
#include "core/clock.h"
#include "core/dialogs.h"
#include "core/main_form.h"
#include "core/settings_store.h"
#include "core/state.h"
#include "core/system_time.h"
#include "core/ui_queue.h"
#include "link/serial_channel.h"
#include "link/serial_port.h"
#include "tools/diagnostics_form.h"
#include "tools/reset_test.h"
#include "tools/segment_readback.h"
#include "transfer/initial_pos_form.h"
#include "transfer/initial_time_form.h"
#include "views/add_timing_form.h"
#include "views/ephem_stat_form.h"
#include "views/product_form.h"
#include "views/raw_meas_form.h"
#include "views/track_form.h"
#include "views/vel_pos_form.h"

namespace zelkon {

// The pause every command waits before it is written.
inline constexpr int kSendWaitMs = 100;
// The pause between the commands of one action.
inline constexpr int kCommandPauseMs = 200;
// Text of the help file the Help menu opens.
inline constexpr const char* kHelpFile = "Zelkon.hlp";

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
  SegmentReadback segmentReadback;

  // The application title: "Corvane Receiver Monitor" at launch, "%d Zelkon" once the port is open.
  std::string Title = "Corvane Receiver Monitor";

  // The windows, created once and shown and hidden, never re-created.
  TForm_Main Form_Main;
  TForm_Track Form_Track;
  TForm_RawMeas Form_RawMeas;
  TForm_EphemStat Form_EphemStat;
  TForm_Product Form_Product;
  TForm_VelPos Form_VelPos;
  TForm_AddTiming Form_AddTiming;
  TForm_InitialPos Form_InitialPos;
  TForm_InitialTime Form_InitialTime;
  TForm_Altitude Form_Altitude;
  TForm_TimingOut Form_TimingOut;
  TForm_Serial Form_Serial;
  TForm_PacketMasks Form_PacketMasks;
  TForm_Diagnostics Form_Diagnostics;
  TForm_About Form_About;

 private:
  std::thread::id uiThread_;
};

}  // namespace zelkon
