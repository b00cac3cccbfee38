// Sample RXBIN traffic: the reports a timing receiver sends once a second, for trying
// zelkon-decode, testing the receive path end to end and benchmarking it.
#pragma once

#include <cstdint>
#include <vector>

namespace zelkon {

// One report as the receive side hands it on: the packet id and the payload after it (for a 0x8F
// superpacket the sub-code is payload byte 0).
struct SamplePacket {
  uint8_t id = 0;
  std::vector<uint8_t> payload;

  bool operator==(const SamplePacket&) const = default;
};

// The reports of `seconds` consecutive one-second rounds, in the order they are sent. Every round
// holds 0x8F-AB, 0x8F-AC, twelve 0x5C (one per channel), 0x6D, 0x46, 0x41, 0x8F-0B, 0x5A and 0x5B,
// each with the payload length its decoder accepts. Deterministic: round k is always the same.
std::vector<SamplePacket> SampleReportPackets(int seconds);

// Frames every packet (id, then payload) and concatenates the frames.
std::vector<uint8_t> FramePackets(const std::vector<SamplePacket>& packets);

// FramePackets(SampleReportPackets(seconds)).
std::vector<uint8_t> SampleReportStream(int seconds);

}  // namespace zelkon
