// The program-wide state shared by the windows, the poll loop and the decoders.
//
// Plain fields, written on the user-interface thread only. LinkReady is also read by a worker
// thread that sends commands, so it is atomic. Everything else a window shows lives in its
// controls.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

#include "base/record_file.h"
#include "link/port_settings.h"

namespace zelkon {

inline constexpr int kChannelCount = 12;
inline constexpr int kBreakResponseSize = 200;

struct AppState {
  // Link and start-up.
  int32_t ComPortNumber = 0;
  // A device path given instead of a port number (a USB adapter, a pseudo-terminal); empty when the
  // port was chosen by number. Where a text shows "COM%d", it shows this path instead.
  std::string DevicePath;
  bool EngineeringMode = false;
  std::atomic<bool> LinkReady{false};
  uint32_t ReceivedByteCount = 0;
  // The port's device hung up or went away and is closed; the poll loop tries to open it again.
  bool PortLost = false;
  uint32_t PortLosses = 0;  // since start
  // Poll ticks until the next attempt to open a lost port, and between two attempts: one second,
  // longer while the device keeps hanging up soon after it was opened again.
  int32_t ReopenCountdown = 0;
  int32_t ReopenIntervalTicks = 0;
  // Poll ticks the port has been open since it was last opened again, counted up to the time after
  // which it is taken as steady; -1 when it has not been lost since start.
  int32_t TicksSinceReopen = -1;
  // The box that says the port was lost is waiting or open: a second loss meanwhile adds none.
  bool PortLossBoxPending = false;
  // The port is a recording played back (DevicePath its file), not a receiver: set once before
  // the port opens, for the whole run. Nothing is sent, the controls that send are locked, and
  // the main window shows every report the recording holds.
  bool Replaying = false;

  // Poll loop.
  int32_t StartupCountdown = 0;
  int32_t PollPhase = 0;
  bool TxLedLit = false;
  bool RxLedLit = false;
  int32_t TimeCountdown = 0;
  int32_t TimingStatusCountdown = 0;
  std::array<int32_t, kChannelCount> TrackCountdown{};
  std::array<int32_t, kChannelCount> SelectedSVs{};
  // When the newest packet arrived, on the Clock (or polling began, before the first one).
  int64_t LastPacketMs = 0;
  // The whole seconds the status bar says the receiver has been silent; 0 while it says nothing.
  int32_t SilentSeconds = 0;
  // What Panel_Hint showed before the silence notice took its place, and a hint the mouse brought
  // up over the notice with the time it came (-1 for none).
  std::string HintBeforeSilence;
  std::string HintOverSilence;
  int64_t HintOverSilenceSinceMs = -1;

  // Start-up port set-up.
  int32_t BreakCountdown = 0;
  ::zelkon::PortSettings PortSettings;
  std::array<uint8_t, kBreakResponseSize> BreakResponseText{};

  // Recording and transfers.
  bool RecordingActive = false;
  RecordFile RecordingFile;
  int32_t RecordingFlushCount = 0;
  // Recordings stopped by a failed write or close since start: the run then ends with status 1.
  uint32_t RecordingFailures = 0;
  bool TransferCaptureFlag = false;
  bool TimeToPcPending = false;
  bool PositionDownloadPending = false;

  // Display.
  bool LatLonDegMin = false;

  // A receiver type a production report chose while the NTP question was still to be asked: it is
  // configured once the question, shown after the packet loop, is answered. 0 when none waits.
  int32_t PendingReceiverType = 0;

  // "COM3", or the device path.
  std::string PortLabel() const;
  // "Replay: day.rxb": the recording's file name, as Panel_Serial names it during a replay.
  std::string ReplayLabel() const;
};

}  // namespace zelkon
