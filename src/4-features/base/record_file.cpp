#include "base/record_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/file_read.h"

namespace zelkon {

bool RecordFile::Create(const std::string& path) {
  Close();
  const int fd = CreateForWriting(path);
  if (fd < 0) return false;
  fd_ = fd;
  buffer_.clear();
  frameEnds_.clear();
  bytesWritten_ = 0;
  packetsWritten_ = 0;
  failure_.reset();
  return true;
}

void RecordFile::Append(const uint8_t* frame, size_t length) {
  if (!IsOpen()) return;
  buffer_.insert(buffer_.end(), frame, frame + length);
  frameEnds_.push_back(buffer_.size());
}

bool RecordFile::Flush() {
  if (!IsOpen()) return !failure_;
  size_t done = 0;
  while (done < buffer_.size()) {
    const ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      // A write that takes nothing without an error would be tried for ever.
      Fail(n < 0 ? errno : EIO, done);
      return false;
    }
    done += static_cast<size_t>(n);
  }
  bytesWritten_ += buffer_.size();
  packetsWritten_ += frameEnds_.size();
  buffer_.clear();
  frameEnds_.clear();
  return true;
}

bool RecordFile::Close() {
  if (!IsOpen()) return !failure_;
  if (!Flush()) return false;
  const int fd = fd_;
  fd_ = -1;
  // A file system may report a failed write only here; what it kept is then unknown.
  if (::close(fd) != 0 && errno != EINTR) {
    failure_ = Failure{errno, bytesWritten_, packetsWritten_, Kept::Unsure};
    return false;
  }
  return true;
}

void RecordFile::Fail(int error, size_t bufferBytesWritten) {
  // The frames the failed write took whole stay; a frame it took in part is cut off.
  const auto whole = static_cast<size_t>(
      std::upper_bound(frameEnds_.begin(), frameEnds_.end(), bufferBytesWritten) -
      frameEnds_.begin());
  const size_t keptInBuffer = whole == 0 ? 0 : frameEnds_[whole - 1];
  Failure failure{error, bytesWritten_ + keptInBuffer, packetsWritten_ + whole, Kept::Whole};
  struct stat info {};
  const bool regular = ::fstat(fd_, &info) == 0 && S_ISREG(info.st_mode);
  if (regular && bufferBytesWritten > keptInBuffer) {
    if (::ftruncate(fd_, static_cast<off_t>(failure.bytesKept)) != 0)
      failure.kept = Kept::NotCutBack;
  }
  ::close(fd_);
  fd_ = -1;
  buffer_.clear();
  frameEnds_.clear();
  bytesWritten_ = failure.bytesKept;
  packetsWritten_ = failure.packetsKept;
  failure_ = failure;
}

}  // namespace zelkon
