// A serial port whose other end is the receiver emulator's engine, on the same clock: the monitor
// and the receiver run together on virtual time, a minute of traffic in a few milliseconds. A
// worker thread may write while the user-interface thread reads.
#pragma once

#include <algorithm>
#include <atomic>
#include <deque>
#include <mutex>
#include <vector>

#include "link/serial_port.h"
#include "platform/clock.h"
#include "sim/engine.h"

namespace zelkon::testing {

class SimulatedSerialPort final : public SerialPort {
 public:
  SimulatedSerialPort(Clock& clock, const sim::SimOptions& options, double startGps)
      : clock_(clock), options_(options), engine(options_, startGps), startGps_(startGps) {}

  bool Open(const std::string&) override { return true; }
  bool SetQueueSizes(int, int) override { return true; }
  void Purge() override {
    std::lock_guard lock(mutex_);
    Pump();
    incoming_.clear();
  }
  void SetNonWaitingReads() override {}
  int Configure(const LineSettings&) override { return 0; }
  int BytesWaiting() override {
    std::lock_guard lock(mutex_);
    Pump();
    return static_cast<int>(incoming_.size());
  }
  // The emulator answers as a command arrives and broadcasts on whole seconds: the wait moves the
  // clock in small steps until it has said something.
  bool WaitForInput(int ms) override {
    constexpr int kStepMs = 10;
    for (int waited = 0; BytesWaiting() == 0; waited += kStepMs) {
      if (waited >= ms) return false;
      clock_.SleepMs(std::min(kStepMs, ms - waited));
    }
    return true;
  }
  int Read(uint8_t* buffer, int capacity) override {
    std::lock_guard lock(mutex_);
    Pump();
    const int n = std::min(capacity, static_cast<int>(incoming_.size()));
    std::copy_n(incoming_.begin(), n, buffer);
    delivered.insert(delivered.end(), incoming_.begin(), incoming_.begin() + n);
    arrivalNs_ = (clock_.NowMs() + 1) * 1'000'000;
    incoming_.erase(incoming_.begin(), incoming_.begin() + n);
    return n;
  }
  void Write(const uint8_t* bytes, int length) override {
    std::lock_guard lock(mutex_);
    written.insert(written.end(), bytes, bytes + length);
    Pump();
    engine.Receive(bytes, static_cast<size_t>(length));
    Pump();
  }
  void Drain() override {}
  // The event pulse reaches the receiver's event input.
  bool SetRts(bool on) override {
    std::lock_guard lock(mutex_);
    if (!on) engine.Event();
    return true;
  }
  void Close() override {}
  // Read as it arrives: every byte of a read came at the clock's time of the read (plus 1 ms, so
  // that it is never the 0 of a port that cannot say).
  int64_t ArrivalOfReadByte(int /*index*/) const override { return arrivalNs_; }

 private:
  void Pump() {
    engine.Advance(startGps_ + static_cast<double>(clock_.NowMs()) / 1000.0 * options_.speed);
    const auto output = engine.TakeOutput();
    if (!muted) incoming_.insert(incoming_.end(), output.begin(), output.end());
  }

  Clock& clock_;
  sim::SimOptions options_;
  int64_t arrivalNs_ = 0;
  std::mutex mutex_;  // the engine and the byte queues

 public:
  sim::Engine engine;
  // Every byte the monitor wrote, in order.
  std::vector<uint8_t> written;
  // Every byte the monitor read, in order.
  std::vector<uint8_t> delivered;
  // While set, what the receiver sends is lost on the way: a receiver that has stopped sending (the
  // bytes already waiting are still read).
  std::atomic<bool> muted{false};

 private:
  double startGps_;
  std::deque<uint8_t> incoming_;
};

}  // namespace zelkon::testing
