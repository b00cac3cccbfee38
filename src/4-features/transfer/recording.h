// The packet recording: every dispatched packet appended, re-framed as on the wire, to the open
// recording file, which is therefore itself an RXBIN byte stream; and the window that chooses the
// file and switches the recording on and off.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "base/record_file.h"

namespace zelkon {

class Application;
class TForm_LogRxbin;

// The recording's state, the application's Feature<PacketRecording>().
struct PacketRecording {
  // Packets go to the file.
  bool Active = false;
  RecordFile File;
  // The file of the newest recording, and when (on the Clock) it started.
  std::string Path;
  int64_t StartedMs = 0;
  // The file the save dialog last chose: replacing it was agreed to there. A name typed over it
  // that names a file that exists is asked about at Start.
  std::string Agreed;
  int32_t FlushCount = 0;
  // Recordings stopped by a failed write or close since start: the run then ends with status 1.
  uint32_t Failures = 0;
};

// Packets written between two flushes of the recording file to disk, less one.
inline constexpr int kRecordingFlushEvery = 20;

// Appends DLE, id, the payload with every 0x10 doubled, DLE, ETX to the recording's file, and
// writes the file out after every 21st packet (the count carries over between recordings). The
// record is assembled in a buffer that holds the longest payload the receive side delivers with
// every byte doubled, so a packet is always recorded whole. When the write fails the recording
// stops as Stop stops it, the file keeps its whole frames, and the message log and a box shown
// after the packet loop say why and what was kept.
void RecordPacket(Application& app, uint8_t id, std::span<const uint8_t> payload);

// Ends a recording still running at the end of the run: what is buffered is written and the file
// closed; a failure is said in a box at once (the packet loop has ended).
void CloseRecording(Application& app);

// Connects the handlers of TForm_LogRxbin: Open chooses the file, Start creates it and switches
// the recording on, Stop switches it off and closes the file (saying so when that fails), Close
// hides the window (a recording goes on).
void WireLogRxbinWindow(Application& app, TForm_LogRxbin& form);

}  // namespace zelkon
