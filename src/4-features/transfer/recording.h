// The packet recording: every dispatched packet appended, re-framed as on the wire, to the open
// recording file, which is therefore itself an RXBIN byte stream; and the window that chooses the
// file and switches the recording on and off.
#pragma once

#include <cstdint>

#include "base/state.h"

namespace zelkon {

class Application;
class TForm_LogRxbin;

// Packets written between two flushes of the recording file to disk, less one.
inline constexpr int kRecordingFlushEvery = 20;

// Appends DLE, id, the payload with every 0x10 doubled, DLE, ETX to RecordingFile in one write,
// and flushes after every 21st packet (RecordingFlushCount carries over between recordings). The
// record is assembled in a buffer that holds the longest payload the receive side delivers with
// every byte doubled, so a packet is always recorded whole.
void RecordPacket(AppState& state, uint8_t id, const uint8_t* payload, int length);

// Connects the handlers of TForm_LogRxbin: Open chooses the file, Start creates it and switches
// the recording on, Stop switches it off and closes the file, Close hides the window (a recording
// goes on).
void WireLogRxbinWindow(Application& app, TForm_LogRxbin& form);

}  // namespace zelkon
