// A recording played back as the receiver's side of the link: the serial port seam reading an RXBIN
// byte stream from a file (a packet recording is one) instead of a device, so every packet goes
// through the channel, the dispatcher and the decoders as if a receiver had sent it.
//
// A recording carries no time stamps; the receiver's own once-a-second timing reports give the
// pace. Every 0x8F-AB whose time of week differs from the one before begins a new second of
// recording (as long as the recording has shown no 0x8F-AB, every 0x8F-AC does; a receiver that has
// no time yet repeats one time of week, so those seconds pass as one). A second of recording runs
// from the end of the packet before its timing report to the end of the packet before the next one,
// so a second's timing reports and the answers that follow them become readable together.
//
// Playing starts at the first look at the port for waiting bytes (the poll loop's first read; the
// start-up set-up reads nothing of the recording). The first second is readable at once, and from
// then on `speed` seconds of recording per second of the clock, each second whole when it is due.
// With kAsFastAsPossible all of it is readable at once and the poll loop takes it as fast as it
// reads. A recording without timing reports is readable at once too. A stretch in which no packet
// ends for longer than the port reads ahead (zeros, text, noise between good packets) is readable
// at once as well: it holds nothing to pace, passes as no data, and the replay goes on after it.
//
// Commands written to the port go nowhere; the first write says so once on the notice stream.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "link/serial_port.h"
#include "platform/clock.h"

namespace zelkon {

struct PacketReceiver;

class ReplaySerialPort final : public SerialPort {
 public:
  // The speed that makes the whole recording readable at once.
  static constexpr double kAsFastAsPossible = 0;

  // `speed`: seconds of recording per second of `clock`; kAsFastAsPossible (or anything not above
  // 0) for no pacing.
  ReplaySerialPort(Clock& clock, double speed, std::ostream& notices);
  ~ReplaySerialPort() override;
  ReplaySerialPort(const ReplaySerialPort&) = delete;
  ReplaySerialPort& operator=(const ReplaySerialPort&) = delete;

  // Opens the recording at `path` for reading, from its start. Only a regular file is a recording:
  // a FIFO, a device or a directory is refused at once, and OpenFailure says why.
  bool Open(const std::string& path) override;
  std::string OpenFailure() const override { return openFailure_; }
  bool SetQueueSizes(int, int) override { return true; }
  // A recording loses nothing: what is readable stays so.
  void Purge() override {}
  void SetNonWaitingReads() override {}
  int Configure(const LineSettings&) override { return 0; }
  int BytesWaiting() override;
  // Moves on in steps of the clock until the recording has bytes due.
  bool WaitForInput(int ms) override;
  int Read(uint8_t* buffer, int capacity) override;
  void Write(const uint8_t* bytes, int length) override;
  void Drain() override {}
  // There is no event input to pulse.
  bool SetRts(bool) override { return false; }
  void Close() override;

  // Every byte of the recording has been read.
  bool Finished() const { return atEnd_ && readOffset_ == loaded_; }
  // The frames written to the port (and so swallowed) since it was made.
  uint64_t SwallowedWrites() const { return swallowedWrites_.load(); }

 private:
  bool Paced() const { return speed_ > 0; }
  // Reads the next block of the file and, when paced, scans it for the starts of seconds. Sets
  // atEnd_ at the end of the file.
  void LoadBlock();
  void Scan(const uint8_t* bytes, size_t count, uint64_t offset);
  // The file offset up to which the recording is readable now.
  uint64_t ReadableEnd();

  Clock& clock_;
  double speed_;
  std::ostream& notices_;
  std::atomic<uint64_t> swallowedWrites_{0};

  std::string path_;
  std::string openFailure_;
  std::FILE* file_ = nullptr;
  bool atEnd_ = false;
  // The bytes loaded and not yet read: buffer_[head_..] holds the file from readOffset_ to loaded_.
  std::vector<uint8_t> buffer_;
  std::unique_ptr<uint8_t[]> block_;  // what one read of the file fills
  size_t head_ = 0;
  uint64_t readOffset_ = 0;
  uint64_t loaded_ = 0;
  // When playing started, on the clock.
  std::optional<int64_t> startMs_;

  // The scan for seconds: its own receive state machine, the end of the last packet it completed,
  // the last time of week of a primary timing report, and the file offsets where the seconds from
  // number secondsDropped_ on begin (the earlier ones have passed).
  std::unique_ptr<PacketReceiver> scan_;
  uint64_t lastPacketEnd_ = 0;
  std::optional<uint32_t> lastTimeOfWeek_;
  std::deque<uint64_t> secondStarts_;
  uint64_t secondsDropped_ = 0;
};

}  // namespace zelkon
