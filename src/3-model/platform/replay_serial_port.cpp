#include "platform/replay_serial_port.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstring>

#include "link/codec.h"
#include "link/framing.h"
#include "link/system_error.h"
#include "reports/report_types.h"
#include "reports/timing.h"

namespace zelkon {
namespace {

constexpr size_t kBlockBytes = 64 * 1024;
// How far the scan for seconds runs ahead of the reading: a pace faster than the poll loop reads
// finds enough readable bytes within this, however many seconds are due.
constexpr uint64_t kLookAheadBytes = 4 * kBlockBytes;

// Sub-code and time of week.
constexpr size_t kTimeOfWeekEnd = 5;
// More seconds than any recording holds.
constexpr double kManySeconds = 1e15;

}  // namespace

ReplaySerialPort::ReplaySerialPort(Clock& clock, double speed, std::ostream& notices)
    : clock_(clock), speed_(speed), notices_(notices) {}

ReplaySerialPort::~ReplaySerialPort() { Close(); }

bool ReplaySerialPort::Open(const std::string& path) {
  Close();
  // The recording is read ahead of its pace on the user-interface thread, and ends where its file
  // ends: only a regular file can be one. A FIFO would hold every read until its writer writes, a
  // device may never end; both are refused before anything waits on them (O_NONBLOCK: opening a
  // FIFO nobody writes returns at once; on a regular file it changes nothing).
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    openFailure_ = SystemErrorText(errno);
    return false;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    openFailure_ = S_ISDIR(info.st_mode) ? SystemErrorText(EISDIR) : "not a regular file";
    ::close(fd);
    return false;
  }
  file_ = ::fdopen(fd, "rb");
  if (file_ == nullptr) {
    openFailure_ = SystemErrorText(errno);
    ::close(fd);
    return false;
  }
  openFailure_.clear();
  path_ = path;
  atEnd_ = false;
  buffer_.clear();
  head_ = 0;
  readOffset_ = 0;
  loaded_ = 0;
  startMs_.reset();
  scan_ = std::make_unique<PacketReceiver>();
  lastPacketEnd_ = 0;
  lastTimeOfWeek_.reset();
  secondStarts_.clear();
  secondsDropped_ = 0;
  return true;
}

void ReplaySerialPort::Close() {
  if (file_ == nullptr) return;
  std::fclose(file_);
  file_ = nullptr;
}

void ReplaySerialPort::LoadBlock() {
  if (file_ == nullptr || atEnd_) return;
  if (head_ > 0 && head_ >= buffer_.size() / 2) {
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(head_));
    head_ = 0;
  }
  // Read into the block, which is never zeroed, so that a short recording costs what it holds.
  if (!block_) block_ = std::make_unique_for_overwrite<uint8_t[]>(kBlockBytes);
  const size_t count = std::fread(block_.get(), 1, kBlockBytes, file_);
  const size_t before = buffer_.size();
  buffer_.insert(buffer_.end(), block_.get(), block_.get() + count);
  // A short read is the end of the file, or an error that ends the recording just the same.
  if (count < kBlockBytes) atEnd_ = true;
  if (Paced()) Scan(buffer_.data() + before, count, loaded_);
  loaded_ += count;
}

void ReplaySerialPort::Scan(const uint8_t* bytes, size_t count, uint64_t offset) {
  PacketReceiver& r = *scan_;
  for (size_t done = 0; done < count;) {
    const size_t piece = std::min<size_t>(kReadBufferSize, count - done);
    std::memcpy(r.readBuffer, bytes + done, piece);
    r.readPosition = 0;
    r.bytesRemaining = static_cast<uint32_t>(piece);
    const uint64_t pieceOffset = offset + done;
    FeedReadBuffer(r, [this, pieceOffset](const PacketReceiver& packet) {
      const std::span<const uint8_t> payload = packet.Payload();
      const ReportKey key = ReportKey::Of(packet.Id(), payload);
      bool newSecond = false;
      if (key == KeyOf<TimingPrimary>() && payload.size() >= kTimeOfWeekEnd) {
        const uint32_t timeOfWeek = ReadU32(payload.data() + 1);
        newSecond = lastTimeOfWeek_ != timeOfWeek;
        lastTimeOfWeek_ = timeOfWeek;
      } else if (key == KeyOf<TimingSupplemental>() && !lastTimeOfWeek_) {
        newSecond = true;
      }
      if (newSecond) secondStarts_.push_back(lastPacketEnd_);
      lastPacketEnd_ = pieceOffset + static_cast<uint64_t>(packet.readPosition);
    });
    done += piece;
  }
}

uint64_t ReplaySerialPort::ReadableEnd() {
  if (!Paced()) {
    if (readOffset_ == loaded_) LoadBlock();
    return loaded_;
  }
  const int64_t elapsedMs = clock_.NowMs() - *startMs_;
  // Seconds of recording due, the first at once (bounded, for speeds beyond any recording).
  const double elapsedSeconds = std::floor(static_cast<double>(elapsedMs) * speed_ / 1000.0);
  const uint64_t due = static_cast<uint64_t>(std::min(elapsedSeconds, kManySeconds)) + 1;
  while (true) {
    // Readable is everything before the start of second number `due` (counting from 0).
    while (secondsDropped_ < due && !secondStarts_.empty()) {
      secondStarts_.pop_front();
      ++secondsDropped_;
    }
    if (!secondStarts_.empty()) return std::max(secondStarts_.front(), readOffset_);
    if (atEnd_ || file_ == nullptr) return loaded_;
    // The due second begins beyond what the scan has seen: every whole packet seen is readable.
    // A look-ahead in which no packet ends (zeros, text, noise) holds nothing to pace: it is
    // readable at once, passes as no data, and the look-ahead moves on past it.
    if (loaded_ - readOffset_ >= kLookAheadBytes) {
      return lastPacketEnd_ > readOffset_ ? lastPacketEnd_ : loaded_;
    }
    LoadBlock();
  }
}

int ReplaySerialPort::BytesWaiting() {
  if (file_ == nullptr) return 0;
  if (!startMs_) startMs_ = clock_.NowMs();
  return static_cast<int>(std::min<uint64_t>(ReadableEnd() - readOffset_, INT_MAX));
}

bool ReplaySerialPort::WaitForInput(int ms) {
  constexpr int kStepMs = 10;
  if (file_ == nullptr) return false;
  for (int waited = 0; BytesWaiting() == 0; waited += kStepMs) {
    if (waited >= ms) return false;
    clock_.SleepMs(std::min(kStepMs, ms - waited));
  }
  return true;
}

int ReplaySerialPort::Read(uint8_t* buffer, int capacity) {
  if (file_ == nullptr || !startMs_ || capacity <= 0) return 0;
  uint64_t end = ReadableEnd();
  if (!Paced()) {
    while (end - readOffset_ < static_cast<uint64_t>(capacity) && !atEnd_) {
      LoadBlock();
      end = loaded_;
    }
  }
  const size_t count = static_cast<size_t>(std::min<uint64_t>(end - readOffset_, capacity));
  if (count == 0) return 0;
  std::memcpy(buffer, buffer_.data() + head_, count);
  head_ += count;
  readOffset_ += count;
  return static_cast<int>(count);
}

void ReplaySerialPort::Write(const uint8_t* /*bytes*/, int /*length*/) {
  if (swallowedWrites_++ > 0) return;
  notices_ << "zelkon: replaying " << path_ << ": commands to the receiver go nowhere" << std::endl;
}

}  // namespace zelkon
