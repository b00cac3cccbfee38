// The one serial link to the receiver: the port, the receive state machine that de-frames what it
// reads, and the single framed write path.
#pragma once

#include <cstdint>
#include <mutex>
#include <span>
#include <string>

#include "link/framing.h"
#include "link/serial_port.h"

namespace zelkon {

class SerialChannel {
 public:
  // `receivedByteCount` counts every byte read for dispatch; `transferCaptureFlag` ends a feed in
  // stop-on-capture mode. Both are program-wide state owned by the caller.
  SerialChannel(SerialPort& port, uint32_t& receivedByteCount, const bool& transferCaptureFlag);
  SerialChannel(const SerialChannel&) = delete;
  SerialChannel& operator=(const SerialChannel&) = delete;

  // Opens `path`, sets 4096-byte queues, purges, sets non-waiting reads and 9600-8-O-1.
  // 0, or -1 when the device cannot be opened (or its queues cannot be set).
  int OpenChannel(const std::string& path);
  // Why the last OpenChannel failed, in a few words (the port's reason); empty when it did not.
  const std::string& OpenFailure() const { return openFailure_; }

  // Reads what the port holds and feeds it to the receive state machine; `handler` gets every
  // completed packet. A call made while an outer call is still feeding (a handler that runs a
  // nested event loop) returns at once: the bytes stay in the port for the outer loop's next tick.
  void ReadAndDispatch(PacketHandler handler, bool stopOnCapture);

  // While a handler of ReadAndDispatch runs: when the first byte of its packet arrived, by the PC's
  // real-time clock (nanoseconds since 1970); 0 when the port cannot say.
  int64_t PacketArrivalNs() const;

  // Blocks until the port has received bytes or `ms` milliseconds have passed; true when bytes
  // wait. Nothing is read.
  bool WaitForInput(int ms) { return port_.WaitForInput(ms); }

  // Frames one packet (id first) and writes it whole. Frames from different threads never
  // interleave. Packets longer than kMaxPacketLength, or empty, are not sent, nor any while sends
  // are held.
  void FramePacket(std::span<const uint8_t> packet);

  // Raises RTS and, if that worked, lowers it at once: the event-input pulse.
  void PulseRts();

  // Reads straight into the read buffer, without the lock and without feeding: the start-up
  // capture of a port-settings text. Returns the count read.
  int CaptureRead();

  // While held, FramePacket drops its frames: the PC port is being drained and reconfigured, and a
  // frame written then would go out half in the old line settings and half in the new. Holding
  // waits for a frame being written to finish.
  void HoldSends(bool hold) {
    std::lock_guard lock(sendLock_);
    sendsHeld_ = hold;
  }
  int Configure(const LineSettings& line) { return port_.Configure(line); }
  void Drain() { port_.Drain(); }
  // Closes the port. Waits for a frame being written (by a worker thread) to finish.
  void CloseChannel();
  // True when the open port's device has hung up or gone away.
  bool HungUp();

  bool IsOpen() const { return open_; }
  PacketReceiver& Receiver() { return receiver_; }
  const PacketReceiver& Receiver() const { return receiver_; }

  // Guards the bytes-waiting query with its read, and the RTS pulse.
  std::mutex SerialLock;

 private:
  SerialPort& port_;
  uint32_t& receivedByteCount_;
  const bool& transferCaptureFlag_;
  PacketReceiver receiver_;
  bool open_ = false;
  std::string openFailure_;
  bool feeding_ = false;
  int64_t earlierStartNs_ = 0;

  std::mutex sendLock_;  // guards txFrame_, sendsHeld_ and the write
  bool sendsHeld_ = false;
  uint8_t txFrame_[kMaxFrameLength] = {};
};

}  // namespace zelkon
