// Where command packets go: the application's single send path, or a recorder in tests.
#pragma once

#include <cstdint>

namespace zelkon {

class CommandSender {
 public:
  virtual ~CommandSender() = default;
  // `bytes` holds the packet id followed by the payload; `length` counts both.
  virtual void SendCommand(int length, const uint8_t* bytes) = 0;
};

}  // namespace zelkon
