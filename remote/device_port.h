// The port a device name opens: a local serial device by its path, or a port on another machine by
// its remote name ("tcp://HOST:PORT", "rfc2217://HOST:PORT"). Each Open chooses anew.
#pragma once

#include <string>

#include "link/posix_serial_port.h"
#include "remote/remote_serial_port.h"

namespace zelkon::remote {

class DevicePort final : public SerialPort {
 public:
  bool Open(const std::string& name) override;
  std::string OpenFailure() const override { return active_->OpenFailure(); }
  bool SetQueueSizes(int receiveBytes, int transmitBytes) override {
    return active_->SetQueueSizes(receiveBytes, transmitBytes);
  }
  void Purge() override { active_->Purge(); }
  void SetNonWaitingReads() override { active_->SetNonWaitingReads(); }
  int Configure(const LineSettings& line) override { return active_->Configure(line); }
  int BytesWaiting() override { return active_->BytesWaiting(); }
  bool WaitForInput(int ms) override { return active_->WaitForInput(ms); }
  int Read(uint8_t* buffer, int capacity) override { return active_->Read(buffer, capacity); }
  void Write(const uint8_t* bytes, int length) override { active_->Write(bytes, length); }
  void Drain() override { active_->Drain(); }
  bool SetRts(bool on) override { return active_->SetRts(on); }
  void Close() override { active_->Close(); }
  bool HungUp() override { return active_->HungUp(); }
  bool PacedByLine() const override { return active_->PacedByLine(); }

 private:
  PosixSerialPort local_;
  RemoteSerialPort remote_;
  SerialPort* active_ = &local_;
};

}  // namespace zelkon::remote
