// A whole file the operator named (an almanac file, a position file), read without ever waiting
// and within a bound. Only a regular file is read: a FIFO, a device or a directory is refused at
// once, before anything waits on it (a FIFO nobody writes would hold the open for ever, a device
// such as /dev/zero never ends).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zelkon {

struct FileRead {
  // The file's bytes, at most the limit asked for.
  std::vector<uint8_t> bytes;
  // The file holds more than the limit; `bytes` holds its first `limit` bytes.
  bool longer = false;
  // Why nothing was read, in a few words ("no such file or directory", "is a directory", "not a
  // regular file"); empty when the file was read.
  std::string failure;

  bool Read() const { return failure.empty(); }
};

FileRead ReadRegularFile(const std::string& path, size_t limit);

}  // namespace zelkon
