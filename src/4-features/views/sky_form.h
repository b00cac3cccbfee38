// TForm_Sky: where the tracked satellites are, where they were in the last hour, and the signal
// level of each channel.
#pragma once

#include "model/form.h"

namespace zelkon {

class TForm_Sky final : public Form {
 public:
  static constexpr int kRefreshMs = 1000;

  TForm_Sky()
      : Form("TForm_Sky", "Sky View",
             "Sky View: azimuth and elevation of the tracked satellites, Packets 5C and 6D") {}

  Chart Chart_Sky{*this, "Chart_Sky"};
  Chart Chart_Signal{*this, "Chart_Signal"};
  Timer Timer_Refresh{*this, "Timer_Refresh", kRefreshMs};
};

}  // namespace zelkon
