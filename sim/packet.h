// A report as the emulator builds it, and a writer for its big-endian payload fields.
#pragma once

#include <cstdint>
#include <vector>

#include "link/codec.h"

namespace zelkon::sim {

struct Packet {
  uint8_t id = 0;
  std::vector<uint8_t> payload;  // for superpackets, byte 0 is the sub-code

  bool operator==(const Packet&) const = default;
};

class PayloadWriter {
 public:
  PayloadWriter& U8(int v) {
    bytes_.push_back(static_cast<uint8_t>(v));
    return *this;
  }
  PayloadWriter& U16(int v) {
    return Put(2, [&](uint8_t* p) { WriteU16(static_cast<uint16_t>(v), p); });
  }
  PayloadWriter& U32(uint32_t v) {
    return Put(4, [&](uint8_t* p) { WriteU32(v, p); });
  }
  PayloadWriter& Single(double v) {
    return Put(4, [&](uint8_t* p) { WriteSingle(static_cast<float>(v), p); });
  }
  PayloadWriter& Double(double v) {
    return Put(8, [&](uint8_t* p) { WriteDouble(v, p); });
  }
  PayloadWriter& Zeros(int n) {
    bytes_.insert(bytes_.end(), static_cast<size_t>(n), 0);
    return *this;
  }
  PayloadWriter& Bytes(const std::vector<uint8_t>& bytes) {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return *this;
  }
  Packet Build(uint8_t id) { return Packet{id, std::move(bytes_)}; }

 private:
  template <class F>
  PayloadWriter& Put(size_t n, F write) {
    bytes_.resize(bytes_.size() + n);
    write(bytes_.data() + bytes_.size() - n);
    return *this;
  }
  std::vector<uint8_t> bytes_;
};

}  // namespace zelkon::sim
