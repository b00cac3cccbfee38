#include "base/state.h"

namespace zelkon {

std::string AppState::PortLabel() const {
  return DevicePath.empty() ? "COM" + std::to_string(ComPortNumber) : DevicePath;
}

}  // namespace zelkon
