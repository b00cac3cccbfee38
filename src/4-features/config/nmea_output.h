// The NMEA output window: the output interval and the sentence mask, asked for with the 0x7A
// query (answered by 0x7B) and set with the 0x7A set form.
#pragma once

#include "base/setup_fields.h"
#include "reports/config.h"

namespace zelkon {

class Application;
struct SegmentReadback;
class TForm_NMEA;

// The interval read with "%d" (its low 8 bits go out; a text that holds no number gives the
// warning instead) and the seven boxes as the sentence mask, bits without a box 0.
WindowValues<NmeaConfig> ReadNmeaConfig(const TForm_NMEA& form);
// Shows the interval with "%d" and checks each box from its bit of the mask; the interval is kept
// for the segment check.
void ShowNmeaConfig(TForm_NMEA& form, SegmentReadback& readback, const NmeaConfig& report);

// Connects the handlers of TForm_NMEA.
void WireNmeaOutputWindow(Application& app, TForm_NMEA& form);

}  // namespace zelkon
