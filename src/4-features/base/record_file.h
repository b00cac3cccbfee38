// The open recording file. Whole frames are appended to a buffer in memory, which goes to the file
// with write(2) when flushed (the recording flushes after every 21st packet) and when closed. Every
// write and the close are checked: at the first failure the file is cut back to the end of its
// last whole frame (ftruncate, for a regular file), closed, and Failure() says why and what the
// file keeps. So the file is always a stream of whole frames, never one with a torn frame at its
// end or a hole where space ran out for a while.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zelkon {

class RecordFile {
 public:
  // What the file holds after a failure.
  enum class Kept {
    Whole,       // exactly the frames written whole: bytesKept bytes
    NotCutBack,  // bytesKept bytes of whole frames, then part of one that could not be cut off
    Unsure,      // the close failed: bytesKept were written, the file system may not keep them all
  };
  struct Failure {
    int error = 0;  // errno of the failed write or close
    uint64_t bytesKept = 0;
    uint64_t packetsKept = 0;
    Kept kept = Kept::Whole;
  };

  RecordFile() = default;
  RecordFile(const RecordFile&) = delete;
  RecordFile& operator=(const RecordFile&) = delete;
  ~RecordFile() { Close(); }

  // Creates the file, replacing one of that name; false (errno set) when it cannot be had.
  bool Create(const std::string& path);
  bool IsOpen() const { return fd_ >= 0; }
  // Adds one whole frame to what the next flush writes.
  void Append(const uint8_t* frame, size_t length);
  // Writes what is buffered; false when that failed, and the file is then closed.
  bool Flush();
  // Flushes and closes; false when either failed (or the file had failed before). A closed file
  // closes again without effect.
  bool Close();

  // The failure that ended the newest file, if one did.
  const std::optional<Failure>& Failed() const { return failure_; }
  // Bytes and frames handed to the file whole so far.
  uint64_t BytesWritten() const { return bytesWritten_; }
  uint64_t PacketsWritten() const { return packetsWritten_; }

 private:
  void Fail(int error, size_t bufferBytesWritten);

  int fd_ = -1;
  std::vector<uint8_t> buffer_;
  std::vector<size_t> frameEnds_;  // offsets in buffer_
  uint64_t bytesWritten_ = 0;
  uint64_t packetsWritten_ = 0;
  std::optional<Failure> failure_;
};

}  // namespace zelkon
