// SerialPort on a POSIX terminal device: /dev/ttyS*, USB adapters, pseudo-terminals.
#pragma once

#include <termios.h>

#include "link/serial_port.h"

namespace zelkon {

class PosixSerialPort final : public SerialPort {
 public:
  PosixSerialPort() = default;
  ~PosixSerialPort() override;
  PosixSerialPort(const PosixSerialPort&) = delete;
  PosixSerialPort& operator=(const PosixSerialPort&) = delete;

  bool Open(const std::string& path) override;
  bool SetQueueSizes(int receiveBytes, int transmitBytes) override;
  void Purge() override;
  void SetNonWaitingReads() override;
  int Configure(const LineSettings& line) override;
  int BytesWaiting() override;
  bool WaitForInput(int ms) override;
  int Read(uint8_t* buffer, int capacity) override;
  void Write(const uint8_t* bytes, int length) override;
  void Drain() override;
  // On a pseudo-terminal, which has no modem lines, output flow control stands in for RTS: the
  // other side sees a stop (on) and a start (off) in packet mode.
  bool SetRts(bool on) override;
  void Close() override;
  // The device reports a hang-up or an error to a poll that does not wait.
  bool HungUp() override;

  int Descriptor() const { return fd_; }

 private:
  int fd_ = -1;
  bool pseudoTerminal_ = false;
};

// Raw mode with the given rate, data bits, parity and stop bits, no flow control, reads that
// return at once; every other setting of `tio` stays as it was.
void ApplyLineSettings(termios& tio, const LineSettings& line);

// The device of port number n: /dev/ttyS(n - 1).
std::string ComPortPath(int portNumber);

}  // namespace zelkon
