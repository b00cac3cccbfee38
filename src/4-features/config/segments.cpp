#include "config/segments.h"

#include <array>
#include <utility>

#include "base/application.h"
#include "commands/commands.h"
#include "config/segments_form.h"
#include "main/main_form.h"
#include "main/port_follow.h"

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

// Greys every lamp, then asks for the status: a receiver that does not answer leaves them grey.
void RefreshStatus(Application& app, TForm_EEPROM& form) {
  for (Shape* lamp : {&form.Shape_Bit0, &form.Shape_Bit1, &form.Shape_Bit2, &form.Shape_Bit3,
                      &form.Shape_Bit4, &form.Shape_Bit5, &form.Shape_Bit6, &form.Shape_Bit7,
                      &form.Shape_Bit8, &form.Shape_Bit11}) {
    lamp->SetBrushColor(colours::kGrey);
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
  const std::array<std::pair<Shape*, int>, 10> lamps = {{{&form.Shape_Bit0, 0},
                                                         {&form.Shape_Bit1, 1},
                                                         {&form.Shape_Bit2, 2},
                                                         {&form.Shape_Bit3, 3},
                                                         {&form.Shape_Bit4, 4},
                                                         {&form.Shape_Bit5, 5},
                                                         {&form.Shape_Bit6, 6},
                                                         {&form.Shape_Bit7, 7},
                                                         {&form.Shape_Bit8, 8},
                                                         {&form.Shape_Bit11, 11}}};
  for (const auto& [lamp, bit] : lamps) {
    lamp->SetBrushColor((status >> bit) & 1 ? colours::kYellow : colours::kGreen);
  }
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
