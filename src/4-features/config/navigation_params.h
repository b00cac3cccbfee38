// The three navigation-parameter windows: TForm_Datum (the datum, 0x8E-15), TForm_Altitude (the
// altitude of 2D fixes, 0x2A) and TForm_SVNum (the satellite of one-satellite mode, 0x34). The
// datum and altitude windows ask for their setting when activated; the satellite is never reported
// back.
#pragma once

#include <optional>
#include <string>

#include "base/setup_fields.h"
#include "reports/config.h"
#include "reports/position.h"

namespace zelkon {

class Application;
struct SegmentReadback;
class TForm_Altitude;
class TForm_Datum;
class TForm_SVNum;

// The list's item index as the datum index; "Datum is not set." without a selection.
WindowValues<DatumIndex> ReadDatum(const TForm_Datum& form);
// Selects the reported datum; an index the list does not hold leaves it without a selection. The
// index is kept for the segment check.
void ShowDatum(TForm_Datum& form, SegmentReadback& readback, const DatumIndex& report);

// 0x4A of 9 bytes: the altitude window's edit, and the reference altitude kept for the segment
// check.
void ShowReferenceAltitude(TForm_Altitude& form, SegmentReadback& readback,
                           const ReferenceAltitude& report);

// What "Set" sends: the altitude typed, or the cancelling of the altitude set before.
struct AltitudeSetting {
  bool cancel = false;  // the 0x2A cancel form
  float metres = 0;     // the 0x2A set form's altitude, when not cancelling
};

// The altitude an edit holds: the whole text is one decimal number ("1500", "-12.5", "1.5e3",
// "+20"), blanks around it allowed. Anything after the number ("1500abc", "1500 m") makes the text
// no number at all rather than 1500, so a slip of the keyboard never goes out as some other
// altitude. Infinities, NaN, hexadecimal numbers and values beyond single precision are refused.
std::optional<float> ParseAltitude(const std::string& text);

// With "Set Altitude" chosen the edit's altitude ("'<text>' is not a valid floating point value"
// when ParseAltitude refuses it, "Altitude must be between -1000 and 100000 meters." when no
// antenna is there), with "Cancel Altitude Set Mode" the cancel form whatever the edit
// holds, with neither "Altitude Mode is not set.".
WindowValues<AltitudeSetting> ReadAltitudeSetting(const TForm_Altitude& form);

// The list's item index, which is the satellite number; "SV number is not set." without one.
WindowValues<int> ReadOneSatellite(const TForm_SVNum& form);

// Connect the handlers of the three windows.
void WireDatumWindow(Application& app, TForm_Datum& form);
void WireAltitudeWindow(Application& app, TForm_Altitude& form);
void WireSVNumWindow(Application& app, TForm_SVNum& form);

}  // namespace zelkon
