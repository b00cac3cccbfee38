// A serial port on another machine, reached over the network: raw TCP ("tcp://HOST:PORT") or Telnet
// with the COM-PORT option of RFC 2217 ("rfc2217://HOST:PORT"), as ser2net serves a device. The
// network library (libgensio) stays behind this file: the core sees only the serial-port seam.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "link/serial_port.h"

namespace zelkon::remote {

class RemoteSerialPort final : public SerialPort {
 public:
  // How long connecting (with the Telnet negotiation of an RFC 2217 port), and each change of the
  // remote line, may take before it is given up: the caller is the poll loop, which must go on.
  static constexpr std::chrono::milliseconds kAnswerBound{1000};
  // How long a frame may take to be taken by the connection before the rest is abandoned.
  static constexpr std::chrono::milliseconds kWriteBound{2000};

  RemoteSerialPort();
  ~RemoteSerialPort() override;
  RemoteSerialPort(const RemoteSerialPort&) = delete;
  RemoteSerialPort& operator=(const RemoteSerialPort&) = delete;

  // Connects to a remote port name (link/remote_address.h); false with the reason in OpenFailure()
  // when the name is not one, nothing answers within kAnswerBound, or the server refuses.
  bool Open(const std::string& name) override;
  std::string OpenFailure() const override;
  bool SetQueueSizes(int receiveBytes, int transmitBytes) override;
  // Drops what was received and not read; an RFC 2217 port also asks the server to flush the
  // remote device's queues.
  void Purge() override;
  void SetNonWaitingReads() override {}
  // RFC 2217: rate, data bits, parity and stop bits are set on the remote device, each answered by
  // the server with the value it took; -1 when one differs or no answer came within kAnswerBound.
  // Raw TCP: the remote line is the server's to set; the settings are kept for the line timing.
  int Configure(const LineSettings& line) override;
  int BytesWaiting() override;
  bool WaitForInput(int ms) override;
  int Read(uint8_t* buffer, int capacity) override;
  void Write(const uint8_t* bytes, int length) override;
  // Waits until written frames have left for the network and, by the line's rate, the remote
  // device has had the time to send them.
  void Drain() override;
  // RFC 2217 only: RTS of the remote device, answered by the server.
  bool SetRts(bool on) override;
  void Close() override;
  // The server closed the connection, or it broke (the network gone: no answer to keep-alive
  // probes or to sent data for about ten seconds).
  bool HungUp() override;
  bool PacedByLine() const override { return false; }

 private:
  struct Connection;
  std::unique_ptr<Connection> connection_;
};

}  // namespace zelkon::remote
