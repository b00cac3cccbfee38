// A serial port read as its bytes arrive, by a thread of its own, so that each byte carries the
// time it arrived by the PC's real-time clock: what a time server needs to compare the receiver's
// time with the PC's. The reads of the program's poll loop take what this thread has collected.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "link/serial_port.h"

namespace zelkon {

class StampingSerialPort final : public SerialPort {
 public:
  // The clock gives the PC's real time in nanoseconds since 1970 (CLOCK_REALTIME by default).
  using RealTime = std::function<int64_t()>;
  explicit StampingSerialPort(SerialPort& inner, RealTime now = {});
  ~StampingSerialPort() override;
  StampingSerialPort(const StampingSerialPort&) = delete;
  StampingSerialPort& operator=(const StampingSerialPort&) = delete;

  bool Open(const std::string& path) override;
  std::string OpenFailure() const override { return inner_.OpenFailure(); }
  bool SetQueueSizes(int receiveBytes, int transmitBytes) override {
    return inner_.SetQueueSizes(receiveBytes, transmitBytes);
  }
  // Discards what the reader collected too.
  void Purge() override;
  void SetNonWaitingReads() override { inner_.SetNonWaitingReads(); }
  // The line's rate also sets the time a byte takes: on a port whose bytes come at the line's pace,
  // the first of a run read at once arrived that much per byte before the read.
  int Configure(const LineSettings& line) override;
  int BytesWaiting() override;
  bool WaitForInput(int ms) override;
  int Read(uint8_t* buffer, int capacity) override;
  void Write(const uint8_t* bytes, int length) override { inner_.Write(bytes, length); }
  void Drain() override { inner_.Drain(); }
  bool SetRts(bool on) override { return inner_.SetRts(on); }
  void Close() override;
  bool HungUp() override { return inner_.HungUp(); }
  bool PacedByLine() const override { return inner_.PacedByLine(); }
  int64_t ArrivalOfReadByte(int index) const override;

 private:
  struct Arrival {
    std::vector<uint8_t> bytes;
    size_t taken = 0;
    int64_t firstNs = 0;  // when bytes[0] arrived
    int64_t byteNs = 0;   // and each further byte after it
  };

  void ReadAsItArrives();
  void StopReader();

  SerialPort& inner_;
  RealTime now_;
  std::thread reader_;

  mutable std::mutex lock_;
  std::condition_variable arrived_;
  std::deque<Arrival> arrivals_;
  size_t waiting_ = 0;  // bytes in arrivals_ not yet taken
  bool stopping_ = false;
  int64_t byteNs_;
  // The arrivals the last Read took bytes of: where each begins in what it returned, and when
  // that byte arrived. The reading thread's only.
  struct Segment {
    int start;
    int64_t firstNs;
    int64_t byteNs;
  };
  std::vector<Segment> lastRead_;
};

}  // namespace zelkon
