#include "base/state.h"

namespace zelkon {

std::string AppState::PortLabel() const {
  return DevicePath.empty() ? "COM" + std::to_string(ComPortNumber) : DevicePath;
}

std::string AppState::ReplayLabel() const {
  return "Replay: " + DevicePath.substr(DevicePath.find_last_of('/') + 1);
}

}  // namespace zelkon
