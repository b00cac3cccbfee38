// TForm_Comm: the serial port chooser shown at start-up when no port was given. A serial port on
// another machine is typed by its name in Edit_Remote, or chosen again from the list.
#pragma once

#include <string>
#include <vector>

#include "model/form.h"

namespace zelkon {

class TForm_Comm final : public Form {
 public:
  // "COM 1" .. "COM 20", then `extraDevices` (serial devices found on the system, the remote ports
  // chosen before, the emulator).
  explicit TForm_Comm(const std::vector<std::string>& extraDevices = {});

  ComboBox ComboBox_Com{*this, "ComboBox_Com"};
  Edit Edit_Remote{*this, "Edit_Remote",
                   Design().Hint("A serial port served over the network. tcp:// carries the bytes "
                                 "as they are; rfc2217:// also sets the remote port's speed and "
                                 "framing.")};
  // Why the name typed in Edit_Remote cannot be opened.
  Label Label_Error{*this, "Label_Error", Design().FontColor(colours::kRed)};
  Button Button_Continue{*this, "Button_Continue", Design().Text("&OK")};
  Button Button_Cancel{*this, "Button_Cancel", Design().Text("&Cancel")};

  static constexpr int kNumberedPorts = 20;
};

}  // namespace zelkon
