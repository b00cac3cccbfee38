#include "config/segments.h"

#include <array>

#include "base/application.h"
#include "commands/commands.h"
#include "config/segments_form.h"
#include "main/main_form.h"
#include "main/port_follow.h"
#include "text/printf.h"

namespace zelkon {
namespace {

// The segments of TForm_Default's list, in its order.
constexpr std::array<int, 9> kEntrySegments = {2, 3,  kSerialPortSegment, 5, 6, 7,
                                               8, 11, kAllSegments};

// The receiver's port that the PC follows to the factory line settings.
constexpr uint8_t kFollowedPort = 1;

// Asks before the chosen segment is reverted; the receiver then saves all its segments.
bool ConfirmRevert(Application& app) {
  return app.dialogs.MessageBox(
             "In addition to reverting the chosen segment, this operation will\n"
             "save all receiver configuration segments to EEPROM.  Are you sure\n"
             "that you want to proceed?",
             "Revert Segment", Buttons::OkCancel, Icon::Exclamation) == Answer::Ok;
}

// Reverts the segment chosen in the window; false when the question was cancelled.
bool RevertChosen(Application& app, const TForm_Default& form) {
  if (!ConfirmRevert(app)) return false;
  RevertSegment(app, SegmentOfEntry(form.ComboBox_Segment.ItemIndex()));
  return true;
}

// The lamps of TForm_EEPROM: the segment of each by its bit in the status word, and its name.
struct SegmentLamp {
  Shape TForm_EEPROM::*shape;
  int bit;
  const char* name;
};
constexpr std::array<SegmentLamp, 10> kLamps = {{
    {&TForm_EEPROM::Shape_Bit0, 0, "Manufacturing parameters"},
    {&TForm_EEPROM::Shape_Bit1, 1, "Production parameters"},
    {&TForm_EEPROM::Shape_Bit2, 2, "Receiver Configuration"},
    {&TForm_EEPROM::Shape_Bit3, 3, "Packet I/O control"},
    {&TForm_EEPROM::Shape_Bit4, 4, "Serial port configuration"},
    {&TForm_EEPROM::Shape_Bit5, 5, "Timing output configuration"},
    {&TForm_EEPROM::Shape_Bit6, 6, "Accurate position"},
    {&TForm_EEPROM::Shape_Bit7, 7, "Self-survey configuration"},
    {&TForm_EEPROM::Shape_Bit8, 8, "NMEA configuration"},
    {&TForm_EEPROM::Shape_Bit11, 11, "UTC information"},
}};

bool IsSet(uint16_t status, int bit) { return ((status >> bit) & 1) != 0; }

// Greys every lamp, then asks for the status: a receiver that does not answer leaves them grey.
void RefreshStatus(Application& app, TForm_EEPROM& form) {
  for (const SegmentLamp& lamp : kLamps) {
    (form.*lamp.shape).SetBrushColor(colours::kGrey);
  }
  SendSegmentStatusQuery(app);
}

}  // namespace

int SegmentOfEntry(int itemIndex) {
  if (itemIndex < 0 || itemIndex >= static_cast<int>(kEntrySegments.size())) return -1;
  return kEntrySegments[static_cast<size_t>(itemIndex)];
}

void RevertSegment(Application& app, int segment) {
  SendRevertSegment(app, segment);
  if (segment != kSerialPortSegment && segment != kAllSegments) return;
  app.clock.SleepMs(kCommandPauseMs);
  ApplyPortSettings(app, DefaultPortSettings(kFollowedPort), app.Window<TForm_Main>().Panel_Serial);
}

void WriteSegmentStatus(TForm_EEPROM& form, uint16_t status) {
  for (const SegmentLamp& lamp : kLamps) {
    (form.*lamp.shape).SetBrushColor(IsSet(status, lamp.bit) ? colours::kYellow : colours::kGreen);
  }
}

std::string SegmentStatusLines(uint16_t status) {
  std::string lines = Printf("EEPROM Status at Reset: 0x%04X\r\n", status);
  for (const SegmentLamp& lamp : kLamps) {
    lines += Printf("Segment %d, %s: %s\r\n", lamp.bit, lamp.name,
                    IsSet(status, lamp.bit) ? "corrupted, set to default" : "valid");
  }
  return lines;
}

void WireDefaultSegmentWindow(Application& app, TForm_Default& form) {
  form.Button_OK.OnClick = [&app, &form] {
    if (RevertChosen(app, form)) form.Close();
  };
  form.Button_Apply.OnClick = [&app, &form] { RevertChosen(app, form); };
  form.Button_Close.OnClick = [&form] { form.Close(); };
}

void WireEepromWindow(Application& app, TForm_EEPROM& form) {
  // Asked on every showing and on Refresh, not when the window merely becomes active again.
  form.OnShow = [&app, &form] { RefreshStatus(app, form); };
  form.Button_Refresh.OnClick = [&app, &form] { RefreshStatus(app, form); };
}

}  // namespace zelkon
