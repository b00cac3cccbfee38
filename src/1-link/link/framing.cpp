#include "link/framing.h"

#include <cstring>

namespace zelkon {

void PacketReceiver::ResetForOpen() {
  readPosition = 0;
  packetLength = 0;
  bytesRemaining = 0;
  completedLength = 0;
  dleSeen = 0;
}

int FeedByte(PacketReceiver& r) {
  const uint8_t b = r.readBuffer[r.readPosition];
  r.readPosition += 1;
  r.bytesRemaining -= 1;

  if (r.packetLength >= kPacketBufferSize) {  // overflow: drop the partial packet
    r.packetLength = 0;
    r.packetId = 0;
    r.dleSeen = 0;
  }

  if (r.dleSeen == 0) {
    if (b == kDle) {
      r.dleSeen = 1;
    } else {
      r.packetBuffer[r.packetLength++] = b;
    }
    return 0;
  }

  r.dleSeen = 0;
  if (b == kDle) {  // stuffed data byte
    r.packetBuffer[r.packetLength++] = kDle;
    return 0;
  }
  if (b == kEtx) {  // end of frame
    r.completedLength = static_cast<uint32_t>(r.packetLength);
    r.packetLength = 0;
    return 1;
  }
  r.packetLength = 0;  // DLE + id: a new packet starts
  r.packetId = b;
  r.packetStartPosition = r.readPosition >= 2 ? r.readPosition - 2 : 0;
  return 0;
}

namespace {

// The same state machine as FeedByte, with the state held in locals between packets (every store
// into the packet buffer may alias the receiver's fields, so working on the fields directly would
// reload them for every byte) and runs of plain data bytes copied whole. The state is written back
// before each handler call.
template <bool kStoppable>
void FeedLoop(PacketReceiver& r, PacketHandler handler, const bool* stopFlag) {
  const uint8_t* const in = r.readBuffer;
  uint8_t* const out = r.packetBuffer;
  int32_t pos = r.readPosition;
  uint32_t remaining = r.bytesRemaining;
  int32_t length = r.packetLength;
  int32_t dle = r.dleSeen;
  int32_t id = r.packetId;

  while (remaining > 0) {
    if constexpr (kStoppable) {
      if (*stopFlag) break;
    }
    const uint8_t b = in[pos++];
    --remaining;
    if (length >= kPacketBufferSize) {
      length = 0;
      id = 0;
      dle = 0;
    }
    if (dle == 0) {
      if (b == kDle) {
        dle = 1;
        continue;
      }
      out[length++] = b;
      // Copy the run of data bytes up to the next DLE in one go, but never past a full packet
      // buffer, so that the overflow reset still falls on the same byte. No handler runs inside
      // a run, so the stop flag cannot change in it.
      const uint32_t room = static_cast<uint32_t>(kPacketBufferSize - length);
      const uint32_t span = remaining < room ? remaining : room;
      const uint8_t* const from = in + pos;
      const void* const next = std::memchr(from, kDle, span);
      const uint32_t run =
          next == nullptr ? span : static_cast<uint32_t>(static_cast<const uint8_t*>(next) - from);
      std::memcpy(out + length, from, run);
      length += static_cast<int32_t>(run);
      pos += static_cast<int32_t>(run);
      remaining -= run;
      continue;
    }
    dle = 0;
    if (b == kDle) {
      out[length++] = kDle;
    } else if (b == kEtx) {
      r.readPosition = pos;
      r.bytesRemaining = remaining;
      r.completedLength = static_cast<uint32_t>(length);
      r.packetLength = 0;
      r.dleSeen = 0;
      r.packetId = id;
      handler(r);
      pos = r.readPosition;
      remaining = r.bytesRemaining;
      length = r.packetLength;
      dle = r.dleSeen;
      id = r.packetId;
    } else {
      length = 0;
      id = b;
      r.packetStartPosition = pos >= 2 ? pos - 2 : 0;
    }
  }

  r.packetLength = length;
  r.dleSeen = dle;
  r.packetId = id;
  // Bytes left after a stop are dropped: the next read overwrites the buffer from index 0.
  r.bytesRemaining = 0;
  r.readPosition = 0;
}

}  // namespace

void FeedReadBuffer(PacketReceiver& r, PacketHandler handler, const bool* stopFlag) {
  if (stopFlag != nullptr) {
    FeedLoop<true>(r, handler, stopFlag);
  } else {
    FeedLoop<false>(r, handler, nullptr);
  }
}

int FrameBytes(std::span<const uint8_t> packet, uint8_t* frame) {
  int n = 0;
  frame[n++] = kDle;
  for (const uint8_t b : packet) {
    if (b == kDle) frame[n++] = kDle;
    frame[n++] = b;
  }
  frame[n++] = kDle;
  frame[n++] = kEtx;
  return n;
}

}  // namespace zelkon
