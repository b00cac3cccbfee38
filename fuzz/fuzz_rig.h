// What the fuzz targets share: a fresh monitor on seams that touch nothing outside the process (a
// port that plays the input, settings in memory, a system clock that is never set, dialogs that
// print to nowhere) on a clock whose waits take no time, and an in-memory file for the readers
// that take a path.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

#include "core/monitor.h"
#include "link/serial_port.h"
#include "platform/clock.h"
#include "platform/event_loop.h"
#include "platform/headless_dialogs.h"
#include "platform/settings_store.h"
#include "platform/system_time.h"

namespace zelkon::fuzz {

// An output stream that keeps nothing.
class NullStream final : public std::ostream {
 public:
  NullStream() : std::ostream(&buffer_) {}

 private:
  struct Discard final : std::streambuf {
    int overflow(int c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
  };
  Discard buffer_;
};

// The receiver's side of the link: the bytes given to it, handed out in reads of varying size
// (1, 7, 64 bytes and whole buffers in turn) so that packets and stuffed DLEs straddle reads.
// Everything written is dropped.
class PlayedSerialPort final : public SerialPort {
 public:
  void Play(const uint8_t* data, size_t size) { incoming_.assign(data, data + size); }
  bool Exhausted() const { return next_ == incoming_.size(); }

  bool Open(const std::string&) override { return true; }
  bool SetQueueSizes(int, int) override { return true; }
  void Purge() override {}
  void SetNonWaitingReads() override {}
  int Configure(const LineSettings&) override { return 0; }
  int BytesWaiting() override { return static_cast<int>(incoming_.size() - next_); }
  bool WaitForInput(int) override { return BytesWaiting() > 0; }
  int Read(uint8_t* buffer, int capacity) override {
    static constexpr size_t kSizes[] = {1, 7, 64, SIZE_MAX};
    const size_t n = std::min({static_cast<size_t>(std::max(capacity, 0)), incoming_.size() - next_,
                               kSizes[reads_++ % std::size(kSizes)]});
    std::copy_n(incoming_.begin() + static_cast<std::ptrdiff_t>(next_), n, buffer);
    next_ += n;
    return static_cast<int>(n);
  }
  void Write(const uint8_t*, int) override {}
  void Drain() override {}
  bool SetRts(bool) override { return true; }
  void Close() override {}

 private:
  std::vector<uint8_t> incoming_;
  size_t next_ = 0;
  size_t reads_ = 0;
};

class MemorySettingsStore final : public SettingsStore {
 public:
  std::optional<std::string> Read(const std::string& name) override {
    const auto found = values_.find(name);
    if (found == values_.end() || found->second.empty()) return std::nullopt;
    return found->second;
  }
  bool Write(const std::string& name, const std::string& text) override {
    values_[name] = text;
    return true;
  }

 private:
  std::map<std::string, std::string> values_;
};

// A system clock that stands still and refuses to be set.
class FixedSystemTime final : public SystemTime {
 public:
  UtcTime NowUtc() override { return UtcTime{2024, 6, 1, 12, 0, 0}; }
  bool SetUtc(const UtcTime&) override { return false; }
};

// A fresh monitor on `port`, its clock instant. The receiver does not feed an NTP server, so the
// start-up does not ask.
struct FuzzMonitor {
  explicit FuzzMonitor(SerialPort& port) : app{Platform{port, clock, dialogs, settings, time}} {
    settings.Write("NTP", "0");
  }

  InstantClock clock;
  NullStream boxes;
  HeadlessDialogs dialogs{boxes};
  MemorySettingsStore settings;
  FixedSystemTime time;
  Monitor app;
  EventLoop loop{clock, app.ui, app.Timers()};
};

// A file that lives in memory only, reachable by a path for the code that opens files by name.
class MemoryFile {
 public:
  MemoryFile() : fd_(::memfd_create("zelkon-fuzz", 0)) {
    if (fd_ < 0) {
      std::perror("memfd_create");
      std::abort();
    }
  }
  ~MemoryFile() { ::close(fd_); }
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;

  // Replaces the contents.
  void Fill(const uint8_t* data, size_t size) {
    if (::ftruncate(fd_, 0) != 0 || ::pwrite(fd_, data, size, 0) != static_cast<ssize_t>(size)) {
      std::perror("memory file");
      std::abort();
    }
  }
  std::string Path() const { return "/proc/self/fd/" + std::to_string(fd_); }

 private:
  int fd_;
};

}  // namespace zelkon::fuzz
