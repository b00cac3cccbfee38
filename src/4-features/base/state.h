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

#include "link/port_settings.h"

namespace zelkon {

inline constexpr int kChannelCount = 12;

struct AppState {
  // Link and start-up.
  int32_t ComPortNumber = 0;
  // A device path given instead of a port number (a USB adapter, a pseudo-terminal); empty when the
  // port was chosen by number. Where a text shows "COM%d", it shows this path instead.
  std::string DevicePath;
  bool EngineeringMode = false;
  std::atomic<bool> LinkReady{false};
  uint32_t ReceivedByteCount = 0;
  // The port is a recording played back (DevicePath its file), not a receiver: set once before
  // the port opens, for the whole run. Nothing is sent, the controls that send are locked, and
  // the main window shows every report the recording holds.
  bool Replaying = false;

  // The main display.
  int32_t TimeCountdown = 0;
  int32_t TimingStatusCountdown = 0;
  std::array<int32_t, kChannelCount> TrackCountdown{};
  std::array<int32_t, kChannelCount> SelectedSVs{};
  // When the newest packet arrived, on the Clock (or polling began, before the first one): set by
  // the dispatcher, and by a transfer's own packet hook while it holds the port.
  int64_t LastPacketMs = 0;
  // The port settings the start-up port set-up found (or was given).
  ::zelkon::PortSettings PortSettings;

  // An almanac transfer has captured its answer: ends the channel's feed in stop-on-capture mode.
  bool TransferCaptureFlag = false;

  // Display.
  bool LatLonDegMin = false;

  // "COM3", or the device path.
  std::string PortLabel() const;
  // "Replay: day.rxb": the recording's file name, as Panel_Serial names it during a replay.
  std::string ReplayLabel() const;
};

}  // namespace zelkon
