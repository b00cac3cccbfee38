#include "config/timing_outputs.h"

#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <vector>

#include "link/codec.h"
#include "support/test_rig.h"

namespace zelkon {
namespace {

using testing::PacketBytes;
using Packets = std::vector<PacketBytes>;

PacketBytes Characteristics(uint8_t driverSwitch, uint8_t timeBase, uint8_t polarity, double offset,
                            float bias) {
  PacketBytes p = {0x8E, 0x4A, driverSwitch, timeBase, polarity};
  p.resize(17);
  WriteDouble(offset, &p[5]);
  WriteSingle(bias, &p[13]);
  return p;
}

class TimingOutputs : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(rig.Start()); }

  // The window as the three reports fill it.
  void Fill() {
    form.ComboBox_Switch.SetItemIndex(1);
    form.ComboBox_TimeBase.SetItemIndex(0);
    form.ComboBox_Polarity.SetItemIndex(0);
    form.Edit_Offset.SetText("0.000e+00");
    form.Edit_Bias.SetText("300.00");
    form.RadioButton_1SV.SetChecked(true);
    form.CheckBox_EvenSecond.SetChecked(false);
    form.Edit_Width.SetText("1.000e-02");
  }
  Packets Sent() { return rig.port.SentPackets(); }

  testing::TestRig rig;
  TForm_TimingOut& form = rig.app.Form_TimingOut;
};

TEST_F(TimingOutputs, ActivationSendsTheThreeQueriesInOrder200MsApart) {
  const int64_t start = rig.clock.NowMs();
  form.Activate();
  EXPECT_EQ(Sent(), (Packets{{0x8E, 0x4E}, {0x8E, 0x4A}, {0x8E, 0x4F}}));
  std::vector<int64_t> times;
  for (const auto& write : rig.port.Writes())
    times.push_back(write.timeMs - start);
  // Each send waits 100 ms; the pauses between them add 200 ms.
  EXPECT_EQ(times, (std::vector<int64_t>{100, 400, 700}));
}

TEST_F(TimingOutputs, EachGroupSendsItsOwnCommand) {
  Fill();
  form.Edit_Offset.SetText("1e-6");
  form.Edit_Bias.SetText("12.5");
  form.ComboBox_Polarity.SetItemIndex(1);
  form.Button_SetChar.Click();
  EXPECT_EQ(Sent(), (Packets{Characteristics(1, 0, 1, 0.000001, 12.5f)}));

  rig.port.ClearWrites();
  form.Edit_Width.SetText("2e-3");
  form.Button_Width.Click();
  PacketBytes width = {0x8E, 0x4F};
  width.resize(10);
  WriteDouble(0.002, &width[2]);
  EXPECT_EQ(Sent(), (Packets{width}));
  EXPECT_TRUE(rig.dialogs.Boxes().empty());
}

TEST_F(TimingOutputs, TheOutputOptionIsTheChosenConditionWithBit7ForEvenSeconds) {
  struct Case {
    RadioButton* condition;
    bool evenSecond;
    uint8_t option;
  };
  const Case cases[] = {
      {&form.RadioButton_Always, true, 0x82}, {&form.RadioButton_Always, false, 0x02},
      {&form.RadioButton_1SV, false, 0x03},   {&form.RadioButton_1SV, true, 0x83},
      {&form.RadioButton_3SV, false, 0x04},   {&form.RadioButton_3SV, true, 0x84},
  };
  for (const Case& c : cases) {
    c.condition->SetChecked(true);
    form.CheckBox_EvenSecond.SetChecked(c.evenSecond);
    form.Button_SetOutput.Click();
    EXPECT_EQ(Sent().back(), (PacketBytes{0x8E, 0x4E, c.option})) << c.condition->Name();
  }
  EXPECT_EQ(Sent().size(), std::size(cases));
}

TEST_F(TimingOutputs, AGroupWithAFieldWithoutAValueSendsNothingAndSaysWhich) {
  struct Case {
    std::function<void()> spoil;
    Button* set;
    const char* warning;
  };
  const Case cases[] = {
      {[&] { form.ComboBox_Switch.SetItemIndex(-1); }, &form.Button_SetChar,
       "Driver Switch is not set."},
      {[&] { form.ComboBox_TimeBase.SetItemIndex(-1); }, &form.Button_SetChar,
       "Time Base is not set."},
      {[&] { form.ComboBox_Polarity.SetItemIndex(-1); }, &form.Button_SetChar,
       "Polarity is not set."},
      {[&] { form.Edit_Offset.SetText(""); }, &form.Button_SetChar,
       "PPS Offset must be a number from -1 to 1."},
      // Nanoseconds typed as seconds.
      {[&] { form.Edit_Offset.SetText("150"); }, &form.Button_SetChar,
       "PPS Offset must be a number from -1 to 1."},
      {[&] { form.Edit_Bias.SetText("m"); }, &form.Button_SetChar,
       "Bias Uncertainty Threshold must be a number from 0 to 3.402823e+38."},
      {[&] { form.Edit_Bias.SetText("-5"); }, &form.Button_SetChar,
       "Bias Uncertainty Threshold must be a number from 0 to 3.402823e+38."},
      {[&] {
         form.Edit_Bias.SetText("");
         form.ComboBox_TimeBase.SetItemIndex(-1);
       },
       &form.Button_SetChar, "Time Base is not set."},
      {[&] { form.RadioButton_1SV.SetChecked(false); }, &form.Button_SetOutput,
       "Output Options is not set."},
      {[&] { form.Edit_Width.SetText("wide"); }, &form.Button_Width,
       "PPS Width must be a number from 0 to 1."},
      {[&] { form.Edit_Width.SetText("1e-2x"); }, &form.Button_Width,
       "PPS Width must be a number from 0 to 1."},
  };
  for (const Case& c : cases) {
    Fill();
    c.spoil();
    rig.dialogs.Answer(Answer::Ok);
    c.set->Click();
    ASSERT_FALSE(rig.dialogs.Boxes().empty());
    const auto& box = rig.dialogs.Boxes().back();
    EXPECT_EQ(box.text, c.warning);
    EXPECT_EQ(box.caption, "Warning");
    EXPECT_EQ(box.buttons, Buttons::Ok);
    EXPECT_EQ(box.icon, Icon::Exclamation);
  }
  EXPECT_EQ(rig.dialogs.Boxes().size(), std::size(cases));
  EXPECT_TRUE(Sent().empty());

  // A group does not depend on the others: with the width unreadable the characteristics still go.
  Fill();
  form.Edit_Width.SetText("");
  form.RadioButton_Always.SetChecked(false);
  form.RadioButton_1SV.SetChecked(false);
  form.Button_SetChar.Click();
  EXPECT_EQ(Sent(), (Packets{Characteristics(1, 0, 0, 0.0, 300.0f)}));
}

}  // namespace
}  // namespace zelkon
