// The monitor application: the one concrete Application. It creates every window of the window
// registry, connects their handlers and openers, and holds the send path, the poll loop's read and
// the opening and closing of the port. The user interface (or a headless runner, or a test)
// builds one, drives its timers and forwards user input to its window models.
#pragma once

#include <cstdint>
#include <vector>

#include "base/application.h"
#include "core/link_watch.h"
#include "core/poll_loop.h"
#include "core/window_registry.h"
#include "events/receiver_events.h"
#include "receiver/receiver_type.h"
#include "refclock/reference_clocks.h"
#include "transfer/position_transfer.h"
#include "transfer/recording.h"
#include "transfer/time_transfer.h"
#include "views/message_log.h"

namespace zelkon {

class Monitor final : public Application {
 public:
  // Must be constructed on the user-interface thread.
  explicit Monitor(const Platform& platform);
  ~Monitor() override;

  // Main-window creation: opens the port of ComPortNumber (or DevicePath) and starts the start-up
  // port set-up. When the port cannot be opened it shows "Could not initialize COM%d." with the
  // system's reason as the box's detail (channel.OpenFailure()) and returns false: the program
  // then ends without having sent anything.
  bool MainFormCreate();
  // Opens the port of ComPortNumber (or DevicePath) at 9600 8-Odd-1 and hands the poll loop to the
  // start-up port set-up (TimerBreak). False, with nothing changed, when it cannot be opened.
  bool OpenPort();
  // Main-window close and destruction: closes the port and an open recording file.
  void MainFormClose();

  // Dropped while LinkReady is false; otherwise waits kSendWaitMs, lights the Tx LED and writes the
  // framed packet. Safe from any thread: frames never interleave, and the LED change of a worker
  // thread is handed to the user-interface thread. During a replay the frame goes to the
  // recording's port (which swallows it) at once, and the Tx LED stays dark.
  void SendCommand(std::span<const uint8_t> packet) override;
  void SendCommandUnlessStopped(const std::stop_token& stop,
                                std::span<const uint8_t> packet) override;
  void ReadAndDispatchReports() override;

  // Every timer of every window.
  std::vector<Timer*> Timers();

  LinkLoss linkLoss;
  Polling polling;
  // The features' own state, registered for Feature<T>().
  PacketRecording recording;
  TimeToPcRequest timeToPc;
  PositionDownloadRequest positionDownload;
  PendingReceiverType pendingReceiverType;
  MessageLogFile messageLogFile;
  ReceiverEvents receiverEvents;
  ReferenceClocks referenceClocks;

  // The windows, created once and shown and hidden, never re-created.
#define ZELKON_WINDOW_MEMBER(Class, member, ...) Class member;
  ZELKON_WINDOWS(ZELKON_WINDOW_MEMBER)
#undef ZELKON_WINDOW_MEMBER

 private:
  // Lights the Tx LED (from a worker thread through the user-interface thread) and writes.
  void WriteCommand(std::span<const uint8_t> packet);
};

}  // namespace zelkon
