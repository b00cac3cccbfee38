// A scripted serial port: bytes "from the receiver" are queued by the test, everything written is
// kept with the clock time of the write, and every line operation is recorded.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "link/framing.h"
#include "link/serial_port.h"
#include "platform/clock.h"

namespace zelkon::testing {

// One packet as it travels: the id, then the payload.
using PacketBytes = std::vector<uint8_t>;

// The packet a receiver just completed.
PacketBytes PacketOf(const PacketReceiver& receiver);
// De-frames a byte stream with the program's own receive state machine.
std::vector<PacketBytes> Deframe(const std::vector<uint8_t>& stream);
// Frames one packet (id first) as the program writes it.
std::vector<uint8_t> Frame(const PacketBytes& packet);

class FakeSerialPort final : public SerialPort {
 public:
  explicit FakeSerialPort(Clock& clock) : clock_(clock) {}

  struct WriteRecord {
    int64_t timeMs;
    std::vector<uint8_t> frame;
  };

  // Script.
  bool failOpen = false;
  bool failQueueSizes = false;
  int configureResult = 0;
  bool rtsWorks = true;
  // Each write hands its bytes over one at a time, yielding between them, as a slow device
  // would: two unsynchronised writers would interleave.
  bool slowWrites = false;
  // The device hung up (pulled out, the other side gone); an open port says so until it is closed.
  bool hungUp = false;
  // Runs when the program drains the output (to look at the program's state at that moment).
  std::function<void()> onDrain;

  // Bytes the receiver sent; they wait in the port until read.
  void Receive(const std::vector<uint8_t>& bytes);
  void ReceivePacket(const PacketBytes& packet) { Receive(Frame(packet)); }

  // What happened.
  std::vector<WriteRecord> Writes() const;
  // The packets written, in order (each write de-framed on its own).
  std::vector<PacketBytes> SentPackets() const;
  // Every byte written, in the order the port took them.
  std::vector<uint8_t> WireBytes() const;
  void ClearWrites();

  std::string openedPath;
  int opens = 0;  // attempts, failed ones included
  bool isOpen = false;
  int purges = 0;
  int drains = 0;
  int reads = 0;
  std::vector<LineSettings> configured;
  std::vector<bool> rtsChanges;

  bool Open(const std::string& path) override;
  bool SetQueueSizes(int receiveBytes, int transmitBytes) override;
  void Purge() override;
  void SetNonWaitingReads() override {}
  int Configure(const LineSettings& line) override;
  int BytesWaiting() override;
  // Nothing arrives by itself: a wait with nothing queued takes its whole time on the clock.
  bool WaitForInput(int ms) override;
  int Read(uint8_t* buffer, int capacity) override;
  void Write(const uint8_t* bytes, int length) override;
  void Drain() override {
    ++drains;
    if (onDrain) onDrain();
  }
  bool SetRts(bool on) override;
  void Close() override;
  bool HungUp() override { return isOpen && hungUp; }

 private:
  Clock& clock_;
  mutable std::mutex mutex_;
  std::deque<uint8_t> incoming_;
  std::vector<WriteRecord> writes_;
  std::vector<uint8_t> wire_;
};

}  // namespace zelkon::testing
