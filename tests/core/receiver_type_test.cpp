#include "receiver/receiver_type.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/test_rig.h"

namespace zelkon {
namespace {

using testing::TestRig;

class ReceiverTypeTest : public ::testing::Test {
 protected:
  TForm_Main& f() { return rig.app.Form_Main; }
  void FillTimingPanels() {
    f().Panel_PPSOffset.SetCaption("1.25");
    f().Panel_SelfSurvey.SetCaption("100%");
    f().Shape_Bit5.SetBrushColor(colours::kYellow);
  }
  bool TimingPanelsGreyed() {
    return f().Panel_PPSOffset.Caption().empty() &&
           f().Panel_PPSOffset.Color() == colours::kButtonFace &&
           f().Shape_Bit5.BrushColor() == colours::kGrey;
  }
  TestRig rig;
};

TEST_F(ReceiverTypeTest, AlarmRowsAreRespacedEvenlyAndTheAntennaRowsHidden) {
  rig.settings.values["NTP"] = "0";
  ConfigureReceiverType(rig.app, kTypeT2K);
  const std::vector<std::pair<Shape*, Label*>> rows = {
      {&f().Shape_Bit3, &f().Label_MA3},  {&f().Shape_Bit5, &f().Label_MA5},
      {&f().Shape_Bit6, &f().Label_MA6},  {&f().Shape_Bit7, &f().Label_MA7},
      {&f().Shape_Bit8, &f().Label_MA8},  {&f().Shape_Bit9, &f().Label_MA9},
      {&f().Shape_Bit10, &f().Label_MA10}};
  const std::vector<int> tops = {29, 48, 67, 87, 106, 126, 145};
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i].first->Top(), tops[i]) << rows[i].first->Name();
    EXPECT_EQ(rows[i].second->Top(), tops[i] - 2) << rows[i].second->Name();
  }
  EXPECT_EQ(f().Shape_Bit11.Top(), 165);
  for (VisualControl* hidden : std::initializer_list<VisualControl*>{
           &f().Shape_Bit1, &f().Label_MA1, &f().Shape_Bit2, &f().Label_MA2}) {
    EXPECT_FALSE(hidden->Visible()) << hidden->Name();
  }
}

struct TypeRow {
  int type;
  bool pollingVisible;
  bool pollingChecked;  // with "NTP" stored as 0 for the two NTP-capable types
  bool tempavoMenus;    // NMEA, self-survey, enabled timing and mask controls
};

TEST_F(ReceiverTypeTest, EachTypeSetsMenusPollingAndSetupControls) {
  rig.settings.values["NTP"] = "0";
  const std::vector<TypeRow> rows = {{kTypeT2K, true, true, true},
                                     {kTypeNetrel, true, true, true},
                                     {kTypeHarvane, false, true, true},
                                     {kTypeTpv2, false, true, true},
                                     {kTypeVarnel, false, false, false}};
  // Every order of selection ends in the same state: run them forwards, then back.
  std::vector<TypeRow> sequence = rows;
  sequence.insert(sequence.end(), rows.rbegin(), rows.rend());
  for (const TypeRow& row : sequence) {
    FillTimingPanels();
    ConfigureReceiverType(rig.app, row.type);
    SCOPED_TRACE(row.type);
    EXPECT_EQ(CheckedReceiverType(rig.app), row.type);
    EXPECT_FALSE(f().RecTypeOrlaUTC.Checked());
    EXPECT_EQ(f().ControlPollingTimingPkts.Visible(), row.pollingVisible);
    EXPECT_EQ(f().ControlPollingTimingPkts.Checked(), row.pollingChecked);
    EXPECT_EQ(f().SetupNMEAOutpu.Visible(), row.tempavoMenus);
    EXPECT_EQ(f().N3.Visible(), row.tempavoMenus);
    EXPECT_EQ(f().SetupSelfSurvey.Visible(), row.tempavoMenus);
    EXPECT_EQ(f().SetupVarnelSelfSurvey.Visible(), !row.tempavoMenus);
    EXPECT_EQ(f().SetupPortAOutput.Visible(), !row.tempavoMenus);

    const TForm_TimingOut& timing = rig.app.Form_TimingOut;
    EXPECT_EQ(timing.Edit_Width.Enabled(), row.tempavoMenus);
    EXPECT_EQ(timing.RadioButton_3SV.Enabled(), row.tempavoMenus);
    EXPECT_EQ(timing.Button_SetOutput.Enabled(), row.tempavoMenus);
    EXPECT_EQ(timing.Label_Width.FontColor(),
              row.tempavoMenus ? colours::kWindowText : colours::kInactiveCaption);
    TForm_PacketMasks& masks = rig.app.Form_PacketMasks;
    for (CheckBox* box : masks.MaskBoxes())
      EXPECT_EQ(box->Enabled(), row.tempavoMenus);
    EXPECT_EQ(masks.Button_Set8EA5.Enabled(), row.tempavoMenus);
    EXPECT_EQ(masks.Label_Masks.FontColor(),
              row.tempavoMenus ? colours::kWindowText : colours::kInactiveCaption);

    EXPECT_EQ(rig.app.Form_Serial.Label_A.Caption(), "Port A");
    EXPECT_EQ(rig.app.Form_Serial.Button_SetB.Caption(), "Set Port &B");
    EXPECT_TRUE(rig.app.Form_Serial.ComboBox_PortBOutput.Enabled());
    EXPECT_EQ(TimingPanelsGreyed(), row.type == kTypeVarnel);
  }
  EXPECT_TRUE(rig.dialogs.Boxes().empty());  // "NTP" was stored: no question
}

TEST_F(ReceiverTypeTest, FirstSelectionOfTheNtpTypeAsksOnceAndYesLeavesPollingOffAndGreyed) {
  rig.dialogs.Answer(Answer::Yes);
  FillTimingPanels();
  ConfigureReceiverType(rig.app, kTypeT2K);
  ASSERT_EQ(rig.dialogs.Boxes().size(), 1u);
  EXPECT_EQ(rig.dialogs.Boxes()[0].text,
            "Are you using the Tempavo 2000 with Network Timing Protocol (NTP)?");
  EXPECT_EQ(rig.dialogs.Boxes()[0].caption, "NTP?");
  EXPECT_EQ(rig.dialogs.Boxes()[0].buttons, Buttons::YesNo);
  EXPECT_EQ(rig.settings.values["NTP"], "1");
  EXPECT_FALSE(f().ControlPollingTimingPkts.Checked());
  EXPECT_TRUE(TimingPanelsGreyed());

  // The next run asks nothing and behaves the same.
  TestRig next;
  next.settings.values = rig.settings.values;
  next.app.Form_Main.Panel_PPSOffset.SetCaption("1.25");
  ConfigureReceiverType(next.app, kTypeT2K);
  EXPECT_TRUE(next.dialogs.Boxes().empty());
  EXPECT_FALSE(next.app.Form_Main.ControlPollingTimingPkts.Checked());
  EXPECT_EQ(next.app.Form_Main.Panel_PPSOffset.Color(), colours::kButtonFace);
}

TEST_F(ReceiverTypeTest, TheNetrelTypeAsksTheSameButNeverGreys) {
  rig.dialogs.Answer(Answer::Yes);
  FillTimingPanels();
  ConfigureReceiverType(rig.app, kTypeNetrel);
  EXPECT_EQ(rig.settings.values["NTP"], "1");
  EXPECT_FALSE(f().ControlPollingTimingPkts.Checked());
  EXPECT_FALSE(TimingPanelsGreyed());

  TestRig other;
  other.dialogs.Answer(Answer::No);
  ConfigureReceiverType(other.app, kTypeNetrel);
  EXPECT_EQ(other.settings.values["NTP"], "0");
  EXPECT_TRUE(other.app.Form_Main.ControlPollingTimingPkts.Checked());
}

TEST_F(ReceiverTypeTest, AStoredValueThatIsNotANumberCountsAsMissing) {
  rig.settings.values["NTP"] = "yes please";
  EXPECT_EQ(ReadNtpSetting(rig.settings), -1);
  rig.dialogs.Answer(Answer::No);
  ConfigureReceiverType(rig.app, kTypeT2K);
  EXPECT_EQ(rig.dialogs.Boxes().size(), 1u);
  EXPECT_EQ(ReadNtpSetting(rig.settings), 0);
  rig.settings.values["NTP"] = "1";
  EXPECT_EQ(ReadNtpSetting(rig.settings), 1);
  rig.settings.values["NTP"] = "7";  // any other number: off, greyed
  FillTimingPanels();
  ConfigureReceiverType(rig.app, kTypeT2K);
  EXPECT_FALSE(f().ControlPollingTimingPkts.Checked());
  EXPECT_TRUE(TimingPanelsGreyed());
}

TEST_F(ReceiverTypeTest, NumbersOutsideTheTypesChangeNothing) {
  for (int type : {0, 6, -1})
    ConfigureReceiverType(rig.app, type);
  EXPECT_EQ(CheckedReceiverType(rig.app), 0);
  EXPECT_TRUE(f().Shape_Bit1.Top() == 29 && f().Shape_Bit3.Top() == 59);
}

TEST_F(ReceiverTypeTest, EngineeringModePointsTheSegmentCheckAtPortA) {
  rig.app.Form_Diagnostics.DiagnosticsPortIndex = 1;
  ConfigureReceiverType(rig.app, kTypeHarvane);
  EXPECT_EQ(rig.app.Form_Diagnostics.DiagnosticsPortIndex, 1);
  rig.app.state.EngineeringMode = true;
  ConfigureReceiverType(rig.app, kTypeHarvane);
  EXPECT_EQ(rig.app.Form_Diagnostics.DiagnosticsPortIndex, 0);
}

// A production report asks the NTP question after the packet loop, once, however many reports come
// before it is answered; the type of the latest one is configured.
TEST_F(ReceiverTypeTest, AReportedTypeAsksOnceAfterThePacketLoopAndTakesTheLatestReport) {
  Monitor& app = rig.app;
  ReceiverTypeFromReport(app, kTypeT2K);
  ReceiverTypeFromReport(app, kTypeNetrel);
  EXPECT_TRUE(rig.dialogs.Boxes().empty());
  EXPECT_EQ(CheckedReceiverType(app), 0);

  // While the question is open, another report comes: it asks nothing more.
  rig.dialogs.whileOpen = [&](const testing::ScriptedDialogs::Shown&) {
    ReceiverTypeFromReport(app, kTypeT2K);
    rig.FinishPacketLoop();
  };
  rig.dialogs.Answer(Answer::Yes);
  rig.FinishPacketLoop();
  rig.dialogs.whileOpen = nullptr;
  ASSERT_EQ(rig.dialogs.Boxes().size(), 1u);
  EXPECT_EQ(CheckedReceiverType(app), kTypeT2K);  // the report that came while it was open
  EXPECT_FALSE(app.Form_Main.ControlPollingTimingPkts.Checked());
  EXPECT_EQ(app.Feature<PendingReceiverType>().type, 0);

  // Answered and stored: later reports configure at once.
  ReceiverTypeFromReport(app, kTypeNetrel);
  EXPECT_EQ(CheckedReceiverType(app), kTypeNetrel);
  EXPECT_EQ(rig.dialogs.Boxes().size(), 1u);
}

}  // namespace
}  // namespace zelkon
