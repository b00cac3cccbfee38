// The almanac file reader on arbitrary bytes. What it accepts must be loadable as read: every block
// of a known type, an SV in 1..32 where the type has one, no more data than a load command holds;
// and those blocks, written back as a download writes them, must read back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "transfer/almanac_file.h"

using zelkon::AlmanacFileContents;
using zelkon::AlmanacFileFault;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> bytes(data, data + size);
  const AlmanacFileContents contents = zelkon::ReadAlmanacFile(bytes);
  if ((contents.faultKind == AlmanacFileFault::None) != contents.fault.empty()) std::abort();

  std::vector<uint8_t> written(std::begin(zelkon::kAlmanacFileLead),
                               std::end(zelkon::kAlmanacFileLead));
  for (const zelkon::AlmanacBlock& block : contents.blocks) {
    if (block.type < zelkon::kRawAlmanacBlock || block.type > zelkon::kUtcBlock) std::abort();
    const bool hasSv = zelkon::AlmanacBlockHasSv(block.type);
    if (hasSv ? block.sv < 1 || block.sv > zelkon::kAlmanacSatellites : block.sv != 0) std::abort();
    if (block.data.size() > static_cast<size_t>(zelkon::kAlmanacLoadMaxData)) std::abort();
    const auto blockBytes = zelkon::AlmanacBlockBytes(block);
    if (!blockBytes) std::abort();
    written.insert(written.end(), blockBytes->begin(), blockBytes->end());
  }
  const AlmanacFileContents again = zelkon::ReadAlmanacFile(written);
  if (again.faultKind != AlmanacFileFault::None || again.blocks != contents.blocks) std::abort();

  // The same bytes as a system data report's payload.
  zelkon::ParseSystemDataAnswer({data, size});
  return 0;
}
