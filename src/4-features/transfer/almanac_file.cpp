#include "transfer/almanac_file.h"

#include <cstddef>

#include "text/printf.h"

namespace zelkon {
namespace {

constexpr size_t kHeaderBytes = 4;  // operation, type, SV, length

bool KnownType(int type) { return type >= kRawAlmanacBlock && type <= kUtcBlock; }

}  // namespace

std::optional<SystemDataAnswer> ParseSystemDataAnswer(std::span<const uint8_t> payload) {
  if (payload.size() < kHeaderBytes) return std::nullopt;
  const size_t dataLength = payload[3];
  if (payload.size() != kHeaderBytes + dataLength) return std::nullopt;
  return SystemDataAnswer{payload[0], payload[1], payload[2],
                          std::vector<uint8_t>(payload.begin() + kHeaderBytes, payload.end())};
}

std::optional<std::vector<uint8_t>> AlmanacBlockBytes(const AlmanacBlock& block) {
  if (block.data.size() > 0xFF) return std::nullopt;
  std::vector<uint8_t> bytes;
  bytes.reserve(block.data.size() + 5);
  bytes.push_back(kAlmanacBlockStart);
  bytes.push_back(static_cast<uint8_t>(block.type));
  if (AlmanacBlockHasSv(block.type)) bytes.push_back(static_cast<uint8_t>(block.sv));
  bytes.push_back(static_cast<uint8_t>(block.data.size()));
  bytes.insert(bytes.end(), block.data.begin(), block.data.end());
  bytes.push_back(kAlmanacBlockEnd);
  return bytes;
}

std::string AlmanacBlockName(int type, int sv) {
  switch (type) {
    case kRawAlmanacBlock:
      return Printf("SV %02d raw almanac", sv);
    case kAlmanacBlock:
      return Printf("SV %02d almanac", sv);
    case kHealthPageBlock:
      return "almanac health page";
    case kIonosphereBlock:
      return "ionosphere data";
    case kUtcBlock:
      return "UTC time correction data";
    default:
      return Printf("type %d", type);
  }
}

AlmanacFileContents ReadAlmanacFile(const std::vector<uint8_t>& bytes) {
  AlmanacFileContents contents;
  const size_t size = bytes.size();
  size_t at = 0;
  while (true) {
    while (at < size && bytes[at] != kAlmanacBlockStart)
      ++at;
    if (at == size) return contents;  // the normal end: no further block starts

    const size_t start = at++;
    const int number = static_cast<int>(contents.blocks.size()) + 1;
    AlmanacBlock block;
    const auto fault = [&](AlmanacFileFault kind, const std::string& what) {
      contents.faultKind = kind;
      const std::string name =
          block.type == 0 ? std::string() : " (" + AlmanacBlockName(block.type, block.sv) + ")";
      contents.fault =
          Printf("block %d%s at byte %zu: %s", number, name.c_str(), start, what.c_str());
      return contents;
    };
    const auto ended = [&] {
      return fault(AlmanacFileFault::Truncated, "the file ends inside the block");
    };

    if (at == size) return ended();
    const int type = bytes[at++];
    if (!KnownType(type))
      return fault(AlmanacFileFault::UnknownType, Printf("unknown data block type %d", type));
    block.type = type;
    if (AlmanacBlockHasSv(type)) {
      if (at == size) return ended();
      block.sv = bytes[at++];
      if (block.sv < 1 || block.sv > kAlmanacSatellites) {
        return fault(AlmanacFileFault::BadSv,
                     Printf("SV number %d outside 1..%d", block.sv, kAlmanacSatellites));
      }
    }
    if (at == size) return ended();
    const size_t length = bytes[at++];
    if (length > static_cast<size_t>(kAlmanacLoadMaxData)) {
      return fault(AlmanacFileFault::TooLong,
                   Printf("%zu data bytes, more than the %d a load command holds", length,
                          kAlmanacLoadMaxData));
    }
    if (size - at < length) return ended();
    block.data.assign(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                      bytes.begin() + static_cast<std::ptrdiff_t>(at + length));
    at += length;
    if (at == size) return ended();
    if (bytes[at++] != kAlmanacBlockEnd)
      return fault(AlmanacFileFault::NoEndMarker, "no end of block marker");
    contents.blocks.push_back(std::move(block));
  }
}

}  // namespace zelkon
