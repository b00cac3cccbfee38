// The self-survey windows: TForm_SelfSurvey sets the survey of the Tempavo receivers (0x8E-A9),
// TForm_VarnelSurvey the survey limit of the Varnel receiver (0x8E-4B). Each asks for its settings
// when activated.
#pragma once

#include <cstdint>

#include "base/setup_fields.h"
#include "reports/config.h"

namespace zelkon {

class Application;
struct SegmentReadback;
class TForm_SelfSurvey;
class TForm_VarnelSurvey;

// The two check boxes as 1 or 0 and the limit read with "%ld".
WindowValues<SelfSurveyParams> ReadSelfSurveyParams(const TForm_SelfSurvey& form);
// The auto-survey limit read with "%U", an unsigned 32-bit integer.
WindowValues<uint32_t> ReadSurveyLimit(const TForm_VarnelSurvey& form);

// Fill the windows from the reports 0x8F-A9 and 0x8F-4B. A limit is shown as the unsigned value
// the report carries: a limit of 2^31 or more reads back as itself, not as a negative number. The
// 0x8F-A9 limit is kept for the segment check.
void ShowSelfSurveyParams(TForm_SelfSurvey& form, SegmentReadback& readback,
                          const SelfSurveyParams& report);
void ShowSurveyLimit(TForm_VarnelSurvey& form, const SurveyLimit& report);

// Connect the handlers of the two windows.
void WireSelfSurveyWindow(Application& app, TForm_SelfSurvey& form);
void WireVarnelSurveyWindow(Application& app, TForm_VarnelSurvey& form);

}  // namespace zelkon
