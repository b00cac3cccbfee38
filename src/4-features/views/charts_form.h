// TForm_Charts: the receiver's clock over time (PPS offset, oscillator offset, PPS quantization
// error, satellites) on one time axis, and the stability of its PPS offsets and of its oscillator.
#pragma once

#include "model/form.h"

namespace zelkon {

class TForm_Charts final : public Form {
 public:
  static constexpr int kRefreshMs = 1000;

  TForm_Charts()
      : Form("TForm_Charts", "Charts",
             "Charts: PPS offset, oscillator offset, quantization error and satellites, from "
             "Packets 8F-AB, 8F-AC, 5C and 6D") {}

  ComboBox ComboBox_Span{*this, "ComboBox_Span",
                         Design()
                             .Items({"10 minutes", "30 minutes", "1 hour", "2 hours", "6 hours",
                                     "12 hours", "24 hours", "48 hours"})
                             .ItemIndex(2)
                             .Hint("How much of the past the time charts show; choosing one "
                                   "returns them to following the newest data")};
  Button Button_Live{
      *this, "Button_Live",
      Design().Text("Live").Hint(
          "Returns the time charts to following the newest data at the span chosen")};
  Button Button_SaveCsv{*this, "Button_SaveCsv",
                        Design()
                            .Text("Save as CSV...")
                            .Hint("Writes every time series of the span shown to a CSV file")};
  Chart Chart_PpsOffset{*this, "Chart_PpsOffset"};
  Chart Chart_OscOffset{*this, "Chart_OscOffset"};
  Chart Chart_Quantization{*this, "Chart_Quantization"};
  Chart Chart_Satellites{*this, "Chart_Satellites"};
  Chart Chart_Stability{*this, "Chart_Stability"};
  Chart Chart_OscStability{*this, "Chart_OscStability"};
  Label Label_Stability{*this, "Label_Stability"};
  Timer Timer_Refresh{*this, "Timer_Refresh", kRefreshMs};
};

}  // namespace zelkon
