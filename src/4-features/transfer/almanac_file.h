// The almanac data file: the receiver's system data blocks as the almanac transfer writes and
// reads them. Pure functions over bytes; the transfer does the file and port I/O.
//
// Layout: two bytes 0x00 0x00, then one block per system data report, each
//   0x82, block type, SV number (types 1 and 2 only), data length N, N data bytes, 0x83.
// Bytes outside a block are skipped by the reader.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zelkon {

inline constexpr uint8_t kAlmanacBlockStart = 0x82;
inline constexpr uint8_t kAlmanacBlockEnd = 0x83;
// The two bytes a download writes before its first block.
inline constexpr uint8_t kAlmanacFileLead[2] = {0x00, 0x00};
// The load command is one 100-byte packet: id, four header bytes and at most 95 data bytes.
inline constexpr int kAlmanacLoadMaxData = 95;
inline constexpr int kAlmanacSatellites = 32;

// Block types of command 0x38 and report 0x58.
enum AlmanacBlockType : int {
  kRawAlmanacBlock = 1,
  kAlmanacBlock = 2,
  kHealthPageBlock = 3,
  kIonosphereBlock = 4,
  kUtcBlock = 5,
};

// Types 1 and 2 carry the SV number of their satellite; the others have none in the file.
constexpr bool AlmanacBlockHasSv(int type) {
  return type == kRawAlmanacBlock || type == kAlmanacBlock;
}

struct AlmanacBlock {
  int type = 0;
  int sv = 0;  // 1..32 for types 1 and 2, 0 otherwise
  std::vector<uint8_t> data;

  bool operator==(const AlmanacBlock&) const = default;
};

// Report 0x58: operation (2 data follows, 1 block acknowledged, other values refused or not
// available), block type, SV number, data length N and N data bytes.
struct SystemDataAnswer {
  int operation = 0;
  int type = 0;
  int sv = 0;
  std::vector<uint8_t> data;
};

// Nothing when the payload is shorter than its header or its length byte disagrees with it.
std::optional<SystemDataAnswer> ParseSystemDataAnswer(std::span<const uint8_t> payload);

// The bytes of one block as a download writes it (a type without SV gets no SV byte). Nothing for
// a block whose data length does not fit its length byte.
std::optional<std::vector<uint8_t>> AlmanacBlockBytes(const AlmanacBlock& block);

enum class AlmanacFileFault { None, UnknownType, BadSv, Truncated, NoEndMarker, TooLong };

// What a file holds, or why it cannot be loaded.
struct AlmanacFileContents {
  std::vector<AlmanacBlock> blocks;
  AlmanacFileFault faultKind = AlmanacFileFault::None;
  // Empty when every block is whole and loadable; else names the block: "block 4 (SV 03 almanac)
  // at byte 90: the file ends inside the block".
  std::string fault;
};

// Reads a whole file. A block with an unknown type, an SV outside 1..32, an end marker missing,
// the file ending inside it, or more data than a load command holds makes the file a fault: the
// blocks before it are listed but none is to be sent.
AlmanacFileContents ReadAlmanacFile(const std::vector<uint8_t>& bytes);

// The log's words for a block: "SV 03 almanac", "ionosphere data", ...
std::string AlmanacBlockName(int type, int sv);

}  // namespace zelkon
