// SerialPort on a POSIX terminal device: /dev/ttyS*, USB adapters, pseudo-terminals. The device is
// given back as it was found: closing the port (or destroying it open) restores the terminal
// settings, the DTR and RTS lines and the exclusive mode it had when it was opened.
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
  std::string OpenFailure() const override { return openFailure_; }
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
  // Discards what is still waiting in either direction (so nothing is waited for), gives the
  // device back its settings and closes it. A device that has gone away is closed all the same.
  void Close() override;
  // The device reports a hang-up or an error to a poll that does not wait.
  bool HungUp() override;
  bool PacedByLine() const override { return !pseudoTerminal_; }

  int Descriptor() const { return fd_; }

 private:
  int fd_ = -1;
  std::string openFailure_;
  bool pseudoTerminal_ = false;
  // What the device had when it was opened, restored when it is closed.
  termios saved_{};
  bool settingsSaved_ = false;
  int savedLines_ = 0;  // DTR and RTS
  bool linesSaved_ = false;
  bool wasExclusive_ = false;
  bool outputStopped_ = false;  // by SetRts on a pseudo-terminal
};

// Raw mode with the given rate, data bits, parity and stop bits, no flow control, reads that
// return at once; every other setting of `tio` stays as it was.
void ApplyLineSettings(termios& tio, const LineSettings& line);

// The device of port number n: /dev/ttyS(n - 1).
std::string ComPortPath(int portNumber);

}  // namespace zelkon
