// TForm_Comm: the serial port chooser shown at start-up when no port was given.
#pragma once

#include <string>
#include <vector>

#include "model/form.h"

namespace zelkon {

class TForm_Comm final : public Form {
 public:
  // "COM 1" .. "COM 20", then `extraDevices` (serial devices found on the system, the emulator).
  explicit TForm_Comm(const std::vector<std::string>& extraDevices = {});

  ComboBox ComboBox_Com{*this, "ComboBox_Com"};
  Button Button_Continue{*this, "Button_Continue", Design().Text("&OK")};
  Button Button_Cancel{*this, "Button_Cancel", Design().Text("&Cancel")};

  static constexpr int kNumberedPorts = 20;
};

}  // namespace zelkon
