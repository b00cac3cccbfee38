// Big-endian field codec of RXBIN payloads.
//
// Every multi-byte field on the wire is big-endian whatever the host's byte order. The readers take
// a pointer to the first byte of the field and need no alignment; the writers store the field at
// `out` most significant byte first.
#pragma once

#include <bit>
#include <cstdint>

namespace zelkon {

inline uint16_t ReadU16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }

inline int16_t ReadI16(const uint8_t* p) { return static_cast<int16_t>(ReadU16(p)); }

inline uint32_t ReadU32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | uint32_t{p[3]};
}

inline int32_t ReadI32(const uint8_t* p) { return static_cast<int32_t>(ReadU32(p)); }

inline uint64_t ReadU64(const uint8_t* p) {
  return (uint64_t{ReadU32(p)} << 32) | uint64_t{ReadU32(p + 4)};
}

inline float ReadSingle(const uint8_t* p) { return std::bit_cast<float>(ReadU32(p)); }

inline double ReadDouble(const uint8_t* p) { return std::bit_cast<double>(ReadU64(p)); }

inline void WriteU16(uint16_t v, uint8_t* out) {
  out[0] = static_cast<uint8_t>(v >> 8);
  out[1] = static_cast<uint8_t>(v);
}

inline void WriteU32(uint32_t v, uint8_t* out) {
  out[0] = static_cast<uint8_t>(v >> 24);
  out[1] = static_cast<uint8_t>(v >> 16);
  out[2] = static_cast<uint8_t>(v >> 8);
  out[3] = static_cast<uint8_t>(v);
}

inline void WriteSingle(float v, uint8_t* out) { WriteU32(std::bit_cast<uint32_t>(v), out); }

inline void WriteDouble(double v, uint8_t* out) {
  const uint64_t bits = std::bit_cast<uint64_t>(v);
  WriteU32(static_cast<uint32_t>(bits >> 32), out);
  WriteU32(static_cast<uint32_t>(bits), out + 4);
}

}  // namespace zelkon
