#include "link/serial_channel.h"

namespace zelkon {
namespace {

constexpr int kQueueBytes = 4096;

}  // namespace

SerialChannel::SerialChannel(SerialPort& port, uint32_t& receivedByteCount,
                             const bool& transferCaptureFlag)
    : port_(port),
      receivedByteCount_(receivedByteCount),
      transferCaptureFlag_(transferCaptureFlag) {}

int SerialChannel::OpenChannel(const std::string& path) {
  std::scoped_lock lock(SerialLock, sendLock_);
  receiver_.ResetForOpen();
  receivedByteCount_ = 0;
  openFailure_.clear();
  if (!port_.Open(path)) {
    openFailure_ = port_.OpenFailure();
    return -1;
  }
  if (!port_.SetQueueSizes(kQueueBytes, kQueueBytes)) {
    port_.Close();
    openFailure_ = "the port refused its queue sizes";
    return -1;
  }
  port_.Purge();
  port_.SetNonWaitingReads();
  port_.Configure(LineSettings{9600, 8, Parity::Odd, 1});
  open_ = true;
  return 0;
}

void SerialChannel::ReadAndDispatch(PacketHandler handler, bool stopOnCapture) {
  if (feeding_) return;
  int count;
  {
    std::lock_guard lock(SerialLock);
    if (port_.BytesWaiting() == 0) return;
    count = port_.Read(receiver_.readBuffer, kReadBufferSize);
  }
  receiver_.readPosition = 0;
  receiver_.bytesRemaining = static_cast<uint32_t>(count);
  receiver_.packetStartPosition = -1;
  receivedByteCount_ += static_cast<uint32_t>(count);

  feeding_ = true;
  FeedReadBuffer(receiver_, handler, stopOnCapture ? &transferCaptureFlag_ : nullptr);
  feeding_ = false;
  // A packet begun in this read and finished in a later one keeps the time of its first byte.
  if (receiver_.packetStartPosition >= 0) {
    earlierStartNs_ = port_.ArrivalOfReadByte(receiver_.packetStartPosition);
  }
}

int64_t SerialChannel::PacketArrivalNs() const {
  return receiver_.packetStartPosition >= 0 ? port_.ArrivalOfReadByte(receiver_.packetStartPosition)
                                            : earlierStartNs_;
}

void SerialChannel::FramePacket(std::span<const uint8_t> packet) {
  if (packet.empty() || packet.size() > static_cast<size_t>(kMaxPacketLength)) return;
  std::lock_guard lock(sendLock_);
  if (sendsHeld_) return;
  const int frameLength = FrameBytes(packet, txFrame_);
  port_.Write(txFrame_, frameLength);
}

void SerialChannel::PulseRts() {
  std::lock_guard lock(SerialLock);
  if (port_.SetRts(true)) port_.SetRts(false);
}

int SerialChannel::CaptureRead() {
  const int count = port_.Read(receiver_.readBuffer, kReadBufferSize);
  receiver_.readPosition = 0;
  receiver_.bytesRemaining = 0;  // captured bytes are never fed to the framing
  return count;
}

bool SerialChannel::HungUp() {
  if (!open_) return false;
  std::lock_guard lock(SerialLock);
  return port_.HungUp();
}

void SerialChannel::CloseChannel() {
  if (!open_) return;
  std::scoped_lock lock(SerialLock, sendLock_);
  port_.Close();
  open_ = false;
}

}  // namespace zelkon
