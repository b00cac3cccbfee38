#include "link/stamping_serial_port.h"

#include <time.h>

#include <algorithm>

namespace zelkon {
namespace {

// How long the reader waits for bytes before it looks whether it is to stop.
constexpr int kReaderWaitMs = 100;
// What the reader holds for the poll loop at most; beyond it, it waits until the loop has read.
constexpr size_t kHeldBytes = size_t{1} << 20;
constexpr int kChunkBytes = 4096;

int64_t RealTimeNow() {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  return int64_t{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
}

int64_t ByteNsAt(const LineSettings& line) {
  const int bits = 1 + line.dataBits + (line.parity == Parity::None ? 0 : 1) + line.stopBits;
  return int64_t{bits} * 1'000'000'000 / std::max(1, line.baudRate);
}

}  // namespace

StampingSerialPort::StampingSerialPort(SerialPort& inner, RealTime now)
    : inner_(inner),
      now_(now ? std::move(now) : RealTime(RealTimeNow)),
      byteNs_(ByteNsAt(LineSettings{})) {}

StampingSerialPort::~StampingSerialPort() { StopReader(); }

bool StampingSerialPort::Open(const std::string& path) {
  StopReader();
  if (!inner_.Open(path)) return false;
  {
    std::lock_guard hold(lock_);
    arrivals_.clear();
    waiting_ = 0;
    stopping_ = false;
  }
  reader_ = std::thread([this] { ReadAsItArrives(); });
  return true;
}

void StampingSerialPort::ReadAsItArrives() {
  std::vector<uint8_t> chunk(kChunkBytes);
  for (;;) {
    {
      std::unique_lock hold(lock_);
      arrived_.wait(hold, [this] { return stopping_ || waiting_ < kHeldBytes; });
      if (stopping_) return;
    }
    if (!inner_.WaitForInput(kReaderWaitMs)) continue;
    const int count = inner_.Read(chunk.data(), kChunkBytes);
    const int64_t readNs = now_();
    if (count <= 0) continue;
    std::lock_guard hold(lock_);
    // The last byte came just before the read; at the line's pace, the first came the time of the
    // others before it, else with them.
    const int64_t byteNs = inner_.PacedByLine() ? byteNs_ : 0;
    const int64_t firstNs = readNs - (count - 1) * byteNs;
    arrivals_.push_back(Arrival{{chunk.begin(), chunk.begin() + count}, 0, firstNs, byteNs});
    waiting_ += static_cast<size_t>(count);
    arrived_.notify_all();
  }
}

void StampingSerialPort::StopReader() {
  if (!reader_.joinable()) return;
  {
    std::lock_guard hold(lock_);
    stopping_ = true;
  }
  arrived_.notify_all();
  reader_.join();
}

void StampingSerialPort::Purge() {
  inner_.Purge();
  std::lock_guard hold(lock_);
  arrivals_.clear();
  waiting_ = 0;
  arrived_.notify_all();
}

int StampingSerialPort::Configure(const LineSettings& line) {
  {
    std::lock_guard hold(lock_);
    byteNs_ = ByteNsAt(line);
  }
  return inner_.Configure(line);
}

int StampingSerialPort::BytesWaiting() {
  std::lock_guard hold(lock_);
  return static_cast<int>(std::min<size_t>(waiting_, 1 << 30));
}

bool StampingSerialPort::WaitForInput(int ms) {
  std::unique_lock hold(lock_);
  if (!reader_.joinable()) return false;
  return arrived_.wait_for(hold, std::chrono::milliseconds(ms), [this] { return waiting_ > 0; });
}

int StampingSerialPort::Read(uint8_t* buffer, int capacity) {
  std::lock_guard hold(lock_);
  lastRead_.clear();
  int count = 0;
  while (!arrivals_.empty() && count < capacity) {
    Arrival& first = arrivals_.front();
    const size_t take =
        std::min(first.bytes.size() - first.taken, static_cast<size_t>(capacity - count));
    lastRead_.push_back(
        {count, first.firstNs + static_cast<int64_t>(first.taken) * first.byteNs, first.byteNs});
    std::copy_n(first.bytes.begin() + static_cast<ptrdiff_t>(first.taken), take, buffer + count);
    first.taken += take;
    count += static_cast<int>(take);
    waiting_ -= take;
    if (first.taken == first.bytes.size()) arrivals_.pop_front();
  }
  arrived_.notify_all();
  return count;
}

int64_t StampingSerialPort::ArrivalOfReadByte(int index) const {
  // The last segment that begins at or before the byte.
  for (auto segment = lastRead_.rbegin(); segment != lastRead_.rend(); ++segment) {
    if (segment->start <= index) {
      return segment->firstNs + (index - segment->start) * segment->byteNs;
    }
  }
  return 0;
}

void StampingSerialPort::Close() {
  StopReader();
  inner_.Close();
  std::lock_guard hold(lock_);
  arrivals_.clear();
  waiting_ = 0;
}

}  // namespace zelkon
