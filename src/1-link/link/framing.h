// RXBIN framing: the byte-stuffed frame on the wire and the receive state machine.
//
// A frame is DLE, packet id, payload with every 0x10 doubled, DLE, ETX. The receive side rebuilds
// packets one byte at a time and hands each completed packet on in place: the packet is the triple
// (packetId, packetBuffer, completedLength) of the receiver, valid until the next byte is fed.
#pragma once

#include <cstdint>
#include <span>

#include "link/function_ref.h"

namespace zelkon {

inline constexpr uint8_t kDle = 0x10;
inline constexpr uint8_t kEtx = 0x03;

inline constexpr int kReadBufferSize = 8192;
inline constexpr int kPacketBufferSize = 512;
// The longest payload that is delivered: a 512th byte makes the packet overflow.
inline constexpr int kMaxPayload = kPacketBufferSize - 1;
// The longest packet (id included) that can be framed for sending.
inline constexpr int kMaxPacketLength = 1 + kMaxPayload;
// Worst case: every byte doubled, plus the opening DLE and the closing DLE ETX.
inline constexpr int kMaxFrameLength = 2 * kMaxPacketLength + 3;

// Receive-side state. One instance lives in the serial channel; it is zero at program start.
struct PacketReceiver {
  int32_t readPosition = 0;      // index of the next unread byte in readBuffer
  int32_t packetLength = 0;      // payload bytes collected for the current packet
  uint32_t bytesRemaining = 0;   // unread bytes left in readBuffer
  uint32_t completedLength = 0;  // payload length of the packet that just completed
  int32_t dleSeen = 0;           // 1 when the previous byte was an unpaired DLE
  int32_t packetId = 0;          // the byte that followed the opening DLE
  // Where in readBuffer the current packet's opening DLE was; -1 when it came in an earlier read
  // (set to -1 by the reader before each read). The port can say when that byte arrived.
  int32_t packetStartPosition = -1;
  uint8_t readBuffer[kReadBufferSize] = {};
  uint8_t packetBuffer[kPacketBufferSize] = {};

  uint8_t Id() const { return static_cast<uint8_t>(packetId); }
  std::span<const uint8_t> Payload() const { return {packetBuffer, completedLength}; }
  int PayloadLength() const { return static_cast<int>(completedLength); }

  // What opening the port resets; the packet id keeps its value.
  void ResetForOpen();
};

using PacketHandler = FunctionRef<void(const PacketReceiver&)>;

// Consumes the byte at the read position; returns 1 when it completed a packet, else 0.
int FeedByte(PacketReceiver& r);

// Feeds the bytes of the last read (bytesRemaining of them from readPosition) one at a time,
// calling `handler` for each completed packet before the next byte is examined, then sets the read
// position back to 0. With `stopFlag`, the flag is tested before every byte and feeding stops as
// soon as it is set; the bytes not fed are dropped.
void FeedReadBuffer(PacketReceiver& r, PacketHandler handler, const bool* stopFlag = nullptr);

// Frames a packet (id first) into `frame`, which must hold 2 * packet.size() + 3 bytes. Returns the
// frame length: the packet's length + (bytes equal to DLE) + 3.
int FrameBytes(std::span<const uint8_t> packet, uint8_t* frame);

}  // namespace zelkon
