// The operations the program needs of a serial port. The real implementation drives a POSIX
// terminal device; tests use a scripted one.
#pragma once

#include <cstdint>
#include <string>

#include "link/port_settings.h"

namespace zelkon {

class SerialPort {
 public:
  virtual ~SerialPort() = default;

  // Opens the device for reading and writing with exclusive access; false when it cannot be opened
  // or is already held by another program.
  virtual bool Open(const std::string& path) = 0;
  // Why the last Open failed, in a few words ("no such file or directory", "permission denied",
  // "not a terminal", "in use by another program"); empty when it did not fail or cannot say.
  virtual std::string OpenFailure() const { return ""; }
  // Receive and transmit queue sizes; false makes the caller close the port again.
  virtual bool SetQueueSizes(int receiveBytes, int transmitBytes) = 0;
  // Discards pending input and output in both directions.
  virtual void Purge() = 0;
  // Reads return at once with whatever is waiting.
  virtual void SetNonWaitingReads() = 0;
  // Rate, data bits, parity and stop bits; binary (raw) mode, no flow control, DTR and RTS on.
  // 0 on success, -1 when the device refused the settings (it keeps its previous ones).
  virtual int Configure(const LineSettings& line) = 0;
  // Bytes in the receive queue (0 on any error).
  virtual int BytesWaiting() = 0;
  // Blocks until received bytes are waiting or `ms` milliseconds have passed, without using the
  // processor meanwhile; true when bytes are waiting. A closed port returns false at once.
  virtual bool WaitForInput(int ms) = 0;
  // Up to `capacity` bytes without waiting; the count read (0 when none or on error).
  virtual int Read(uint8_t* buffer, int capacity) = 0;
  // Writes one whole frame and waits, within a bound, until the device has taken all of it.
  // Errors and an incomplete write are not reported.
  virtual void Write(const uint8_t* bytes, int length) = 0;
  // Waits until queued output has been transmitted.
  virtual void Drain() = 0;
  // Raises or lowers RTS; false when the device cannot.
  virtual bool SetRts(bool on) = 0;
  // Discards pending data and closes the device.
  virtual void Close() = 0;
  // True once the open device has hung up or gone away (a USB adapter pulled out, the other side
  // of a pseudo-terminal closed): nothing more will come through it, and it must be closed and
  // opened again. Ports that cannot lose their device never say so.
  virtual bool HungUp() { return false; }
  // When the byte at `index` of those the last Read returned arrived, by the PC's real-time clock
  // (nanoseconds since 1970); 0 when the port cannot say (its bytes are not read as they arrive).
  virtual int64_t ArrivalOfReadByte(int /*index*/) const { return 0; }
  // True when bytes come at the pace of the line's rate (a serial device), false when a write of
  // the other side arrives whole (a pseudo-terminal, the network).
  virtual bool PacedByLine() const { return true; }
};

}  // namespace zelkon
