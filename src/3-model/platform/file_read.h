// A whole file the operator named (an almanac file, a position file), read without ever waiting
// and within a bound; and a file the operator named for writing, created without waiting. Only a
// regular file is read: a FIFO, a device or a directory is refused at once, before anything waits
// on it (a FIFO nobody writes would hold the open for ever, a device such as /dev/zero never ends).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
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

// Creates (or empties) the file the operator named for writing, without ever waiting: a FIFO
// nobody reads would hold the open for ever, so it fails at once (ENXIO, "No such device or
// address"). The descriptor then writes as an ordinary one; -1 with errno set when it cannot.
int CreateForWriting(const std::string& path);
// The same as a stream; nullptr with errno set when it cannot.
std::FILE* OpenForWriting(const std::string& path);

}  // namespace zelkon
