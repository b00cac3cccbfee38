#include "main/comm_form.h"

namespace zelkon {

TForm_Comm::TForm_Comm(const std::vector<std::string>& extraDevices)
    : Form("TForm_Comm", "Serial Port Selection") {
  std::vector<std::string> items;
  for (int port = 1; port <= kNumberedPorts; ++port)
    items.push_back("COM " + std::to_string(port));
  items.insert(items.end(), extraDevices.begin(), extraDevices.end());
  ComboBox_Com.SetItems(items);
  ComboBox_Com.SetItemIndex(0);
}

}  // namespace zelkon
