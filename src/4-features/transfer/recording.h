// The packet recording: every dispatched packet appended, re-framed as on the wire, to the open
// recording file, which is therefore itself an RXBIN byte stream.
#pragma once

#include <cstdint>

#include "base/state.h"

namespace zelkon {

// Packets written between two flushes of the recording file to disk, less one.
inline constexpr int kRecordingFlushEvery = 20;

// Appends DLE, id, the payload with every 0x10 doubled, DLE, ETX to RecordingFile in one write,
// and flushes after every 21st packet (RecordingFlushCount carries over between recordings).
void RecordPacket(AppState& state, uint8_t id, const uint8_t* payload, int length);

}  // namespace zelkon
