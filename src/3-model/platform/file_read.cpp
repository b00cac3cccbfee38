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

int CreateForWriting(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd < 0) return -1;
  // Writes wait again as usual (a full pipe with a reader, a slow disk).
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    const int error = errno;
    ::close(fd);
    errno = error;
    return -1;
  }
  return fd;
}

std::FILE* OpenForWriting(const std::string& path) {
  const int fd = CreateForWriting(path);
  if (fd < 0) return nullptr;
  std::FILE* file = ::fdopen(fd, "wb");
  if (file == nullptr) {
    const int error = errno;
    ::close(fd);
    errno = error;
  }
  return file;
}

}  // namespace zelkon
