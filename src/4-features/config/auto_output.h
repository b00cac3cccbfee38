// The port B automatic output window: which reports port B sends on its own, asked for with the
// 0x8E-4D query (answered by 0x8F-4D) and set with the 0x8E-4D set form.
#pragma once

#include "reports/config.h"

namespace zelkon {

class Application;
class TForm_AutoOut;

// The ten boxes as the 32-bit mask; bits without a box are 0.
AutoOutputMask ReadAutoOutputMask(const TForm_AutoOut& form);
// Checks each box from its bit of the mask.
void ShowAutoOutputMask(TForm_AutoOut& form, const AutoOutputMask& report);

// Connects the handlers of TForm_AutoOut.
void WireAutoOutputWindow(Application& app, TForm_AutoOut& form);

}  // namespace zelkon
