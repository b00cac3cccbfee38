// The timing outputs window: the PPS output in three groups, each asked for on activation and set
// on its own: the characteristics (0x8E-4A), the output option (0x8E-4E) and the width (0x8E-4F).
#pragma once

#include <cstdint>

#include "base/setup_fields.h"
#include "reports/config.h"

namespace zelkon {

class Application;
struct SegmentReadback;
class TForm_TimingOut;

// The characteristics group: the three list indices, the offset read with "%lf" and the bias
// uncertainty threshold with "%f".
WindowValues<PpsCharacteristics> ReadPpsCharacteristics(const TForm_TimingOut& form);
// The output option: 2 always, 3 with one satellite tracked, 4 with three, plus 0x80 for even
// seconds only.
WindowValues<int> ReadPpsOutputOption(const TForm_TimingOut& form);
// The pulse width in seconds, read with "%lf".
WindowValues<double> ReadPpsWidth(const TForm_TimingOut& form);

// Fill the window from the reports: 0x8F-4A the characteristics (offset "%.3e", threshold
// "%.2f"); 0x8F-4E the output option (a condition other than 2, 3 and 4 leaves no radio button
// checked; the whole option byte is kept for the segment check); 0x8F-4F the width ("%.3e").
void ShowPpsCharacteristics(TForm_TimingOut& form, const PpsCharacteristics& report);
void ShowPpsOutputOption(TForm_TimingOut& form, SegmentReadback& readback,
                         const PpsOutputOption& report);
void ShowPpsWidth(TForm_TimingOut& form, const PpsWidth& report);

// Connects the handlers of TForm_TimingOut.
void WireTimingOutputsWindow(Application& app, TForm_TimingOut& form);

}  // namespace zelkon
