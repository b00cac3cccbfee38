// The report dispatcher: every completed packet lights the Rx LED, goes to the decoder of its id
// (and sub-code), to the packet recording and to the reset test's packet watch.
#pragma once

#include <cstdint>

#include "decode/decoders.h"
#include "link/framing.h"

namespace zelkon {

class Monitor;

// The decoder for a packet, or nullptr when the packet has none. 0x4A goes by length (9 bytes: the
// reference altitude); 0x8F and 0x5F by their sub-code, payload byte 0; 0x5F sub-codes other than
// 0x11 only in engineering mode.
Decoder FindDecoder(uint8_t id, const uint8_t* payload, int length, bool engineeringMode);

// The PacketHandler of the poll loop.
void ReportDispatcher(Monitor& app, const PacketReceiver& receiver);

}  // namespace zelkon
