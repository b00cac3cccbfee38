#include "platform/file_read.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "link/system_error.h"

namespace zelkon {

FileRead ReadRegularFile(const std::string& path, size_t limit) {
  FileRead result;
  // O_NONBLOCK: opening a FIFO nobody writes returns at once (and is refused below); on a regular
  // file it changes nothing.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    result.failure = SystemErrorText(errno);
    return result;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    result.failure = SystemErrorText(errno);
  } else if (S_ISDIR(info.st_mode)) {
    result.failure = SystemErrorText(EISDIR);
  } else if (!S_ISREG(info.st_mode)) {
    result.failure = "not a regular file";
  } else {
    // One byte beyond the limit tells a longer file; the file may grow while it is read.
    std::vector<uint8_t>& bytes = result.bytes;
    bytes.resize(limit + 1);
    size_t count = 0;
    while (count < bytes.size()) {
      const ssize_t n = ::read(fd, bytes.data() + count, bytes.size() - count);
      if (n > 0) {
        count += static_cast<size_t>(n);
      } else if (n == 0) {
        break;
      } else if (errno != EINTR) {
        result.failure = SystemErrorText(errno);
        break;
      }
    }
    result.longer = count > limit;
    bytes.resize(result.failure.empty() ? std::min(count, limit) : 0);
  }
  ::close(fd);
  return result;
}

}  // namespace zelkon
