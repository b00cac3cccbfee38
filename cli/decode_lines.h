// The lines zelkon-decode writes for each packet, collected in a block and handed on whole: the
// tool hands its blocks to standard output, the benchmark of the JSON lines to a counter.
#pragma once

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "link/framing.h"
#include "reports/report_types.h"

namespace zelkon {

// `Output` is called as bool(const char* bytes, size_t count) with each full block, and at
// Flush(); false from it (an output that failed) is passed on.
template <class Output>
class DecodeLines {
 public:
  explicit DecodeLines(Output output) : output_(output) {}

  // The id in hex, the payload length in decimal, then the payload bytes in hex.
  bool Packet(const PacketReceiver& r) {
    // The longest line: id, length, 511 bytes of payload, newline.
    if (kCapacity - used_ < 8 + 3 * kMaxPayload && !Flush()) return false;
    char* out = buffer_ + used_;
    out = Hex(r.Id(), out);
    *out++ = ' ';
    out = std::to_chars(out, buffer_ + kCapacity, r.PayloadLength()).ptr;
    for (const uint8_t b : r.Payload()) {
      *out++ = ' ';
      out = Hex(b, out);
    }
    *out++ = '\n';
    used_ = static_cast<size_t>(out - buffer_);
    return true;
  }

  // The report's JSON object (reports/report_types.h).
  bool Json(const PacketReceiver& r) {
    const std::string line = ReportJson(r.Id(), r.Payload());
    if (kCapacity - used_ < line.size() + 1 && !Flush()) return false;
    std::memcpy(buffer_ + used_, line.data(), line.size());
    used_ += line.size();
    buffer_[used_++] = '\n';
    return true;
  }

  bool Flush() {
    const bool ok = used_ == 0 || output_(buffer_, used_);
    used_ = 0;
    return ok;
  }

 private:
  static char* Hex(uint8_t b, char* out) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    out[0] = kDigits[b >> 4];
    out[1] = kDigits[b & 0x0F];
    return out + 2;
  }

  static constexpr size_t kCapacity = 1 << 16;
  Output output_;
  char buffer_[kCapacity];
  size_t used_ = 0;
};

}  // namespace zelkon
