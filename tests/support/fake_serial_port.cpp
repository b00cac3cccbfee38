#include "support/fake_serial_port.h"

#include <algorithm>
#include <memory>
#include <thread>

#include "link/framing.h"

namespace zelkon::testing {

PacketBytes PacketOf(const PacketReceiver& receiver) {
  const std::span<const uint8_t> payload = receiver.Payload();
  PacketBytes packet(payload.size() + 1);
  packet[0] = receiver.Id();
  std::copy(payload.begin(), payload.end(), packet.begin() + 1);
  return packet;
}

std::vector<PacketBytes> Deframe(const std::vector<uint8_t>& stream) {
  std::vector<PacketBytes> packets;
  auto receiver = std::make_unique<PacketReceiver>();
  for (size_t start = 0; start < stream.size(); start += kReadBufferSize) {
    const size_t n = std::min<size_t>(kReadBufferSize, stream.size() - start);
    std::copy_n(stream.begin() + static_cast<std::ptrdiff_t>(start), n, receiver->readBuffer);
    receiver->readPosition = 0;
    receiver->bytesRemaining = static_cast<uint32_t>(n);
    FeedReadBuffer(*receiver, [&](const PacketReceiver& r) { packets.push_back(PacketOf(r)); });
  }
  return packets;
}

std::vector<uint8_t> Frame(const PacketBytes& packet) {
  std::vector<uint8_t> frame(2 * packet.size() + 3);
  frame.resize(static_cast<size_t>(FrameBytes(packet, frame.data())));
  return frame;
}

void FakeSerialPort::Receive(const std::vector<uint8_t>& bytes) {
  std::lock_guard lock(mutex_);
  incoming_.insert(incoming_.end(), bytes.begin(), bytes.end());
}

std::vector<FakeSerialPort::WriteRecord> FakeSerialPort::Writes() const {
  std::lock_guard lock(mutex_);
  return writes_;
}

std::vector<PacketBytes> FakeSerialPort::SentPackets() const {
  std::vector<PacketBytes> packets;
  for (const auto& write : Writes()) {
    for (auto& packet : Deframe(write.frame))
      packets.push_back(std::move(packet));
  }
  return packets;
}

std::vector<uint8_t> FakeSerialPort::WireBytes() const {
  std::lock_guard lock(mutex_);
  return wire_;
}

void FakeSerialPort::ClearWrites() {
  std::lock_guard lock(mutex_);
  writes_.clear();
  wire_.clear();
}

bool FakeSerialPort::Open(const std::string& path) {
  openedPath = path;
  ++opens;
  if (failOpen) return false;
  isOpen = true;
  return true;
}

bool FakeSerialPort::SetQueueSizes(int receiveBytes, int transmitBytes) {
  return !failQueueSizes && receiveBytes == 4096 && transmitBytes == 4096;
}

void FakeSerialPort::Purge() {
  std::lock_guard lock(mutex_);
  ++purges;
  incoming_.clear();
}

int FakeSerialPort::Configure(const LineSettings& line) {
  configured.push_back(line);
  return configureResult;
}

int FakeSerialPort::BytesWaiting() {
  std::lock_guard lock(mutex_);
  return static_cast<int>(incoming_.size());
}

bool FakeSerialPort::WaitForInput(int ms) {
  if (BytesWaiting() > 0) return true;
  clock_.SleepMs(ms);
  return BytesWaiting() > 0;
}

int FakeSerialPort::Read(uint8_t* buffer, int capacity) {
  std::lock_guard lock(mutex_);
  ++reads;
  const int n = std::min(capacity, static_cast<int>(incoming_.size()));
  std::copy_n(incoming_.begin(), n, buffer);
  incoming_.erase(incoming_.begin(), incoming_.begin() + n);
  return n;
}

void FakeSerialPort::Write(const uint8_t* bytes, int length) {
  const int64_t now = clock_.NowMs();
  if (slowWrites) {
    for (int i = 0; i < length; ++i) {
      {
        std::lock_guard lock(mutex_);
        wire_.push_back(bytes[i]);
      }
      std::this_thread::yield();
    }
  } else {
    std::lock_guard lock(mutex_);
    wire_.insert(wire_.end(), bytes, bytes + length);
  }
  std::lock_guard lock(mutex_);
  writes_.push_back({now, std::vector<uint8_t>(bytes, bytes + length)});
}

bool FakeSerialPort::SetRts(bool on) {
  if (!rtsWorks) return false;
  rtsChanges.push_back(on);
  return true;
}

void FakeSerialPort::Close() {
  std::lock_guard lock(mutex_);
  isOpen = false;
  incoming_.clear();
}

}  // namespace zelkon::testing
