#include "remote/device_port.h"

#include "link/remote_address.h"

namespace zelkon::remote {

bool DevicePort::Open(const std::string& name) {
  active_->Close();
  active_ = IsRemotePortName(name) ? static_cast<SerialPort*>(&remote_) : &local_;
  return active_->Open(name);
}

}  // namespace zelkon::remote
