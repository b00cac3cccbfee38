// Where command packets go: the application's single send path, or a recorder in tests.
#pragma once

#include <cstdint>
#include <span>

namespace zelkon {

class CommandSender {
 public:
  virtual ~CommandSender() = default;
  // `packet` holds the packet id followed by the payload.
  virtual void SendCommand(std::span<const uint8_t> packet) = 0;
};

}  // namespace zelkon
