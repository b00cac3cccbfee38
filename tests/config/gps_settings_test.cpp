#include "config/gps_settings.h"

#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "link/codec.h"
#include "support/test_rig.h"
#include "text/angles.h"

namespace zelkon {
namespace {

using testing::PacketBytes;

constexpr char kEnter = 13;

// The fields of a 0xBB set form as sent (id first, so payload offset n is packet byte n + 1).
ReceiverConfig ConfigSent(const PacketBytes& p) {
  EXPECT_EQ(p.size(), 44u);
  EXPECT_EQ(p[0], 0xBB);
  ReceiverConfig c;
  if (p.size() != 44u) return c;
  c.receiverMode = p[2];
  c.dgpsMode = p[3];
  c.dynamicsCode = p[4];
  c.elevationMaskRad = ReadSingle(&p[6]);
  c.signalLevelMask = ReadSingle(&p[10]);
  c.pdopMask = ReadSingle(&p[14]);
  c.pdopSwitch = ReadSingle(&p[18]);
  c.dgpsAgeLimit = p[22];
  return c;
}

class GpsSettings : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(rig.Start()); }

  // The window as a report fills it: overdetermined clock, DGPS auto, stationary, and the masks.
  void Fill() {
    form.ComboBox_RMode.SetItemIndex(7);
    form.ComboBox_DGPSMode.SetItemIndex(2);
    form.ComboBox_DCode.SetItemIndex(4);
    form.Edit_EMask.SetText("10.0");
    form.Edit_SMask.SetText("4.0");
    form.Edit_PMask.SetText("12.0");
    form.Edit_PSwitch.SetText("8.0");
    form.Edit_DGPSAge.SetText("30");
  }
  std::vector<PacketBytes> Sent() { return rig.port.SentPackets(); }
  ReceiverConfig LastConfigSent() {
    const std::vector<PacketBytes> sent = Sent();
    EXPECT_FALSE(sent.empty());
    return sent.empty() ? ReceiverConfig{} : ConfigSent(sent.back());
  }

  testing::TestRig rig;
  TForm_GPS& form = rig.app.Form_GPS;
};

TEST_F(GpsSettings, ActivationAsksForTheConfiguration) {
  form.Activate();
  form.Activate();
  EXPECT_EQ(Sent(), (std::vector<PacketBytes>{{0xBB, 0x00}, {0xBB, 0x00}}));
}

TEST_F(GpsSettings, ApplySendsWhatTheWindowShows) {
  Fill();
  form.Button_Apply.Click();
  const ReceiverConfig c = LastConfigSent();
  EXPECT_EQ(c.receiverMode, 7);
  EXPECT_EQ(c.dgpsMode, 3);  // "Auto"
  EXPECT_EQ(c.dynamicsCode, 4);
  // Degrees to radians with 3.14159 / 180: a different single from the one pi would give.
  EXPECT_EQ(c.elevationMaskRad, static_cast<float>(10 * 0.017453277777777776));
  EXPECT_NE(c.elevationMaskRad, static_cast<float>(10 * 3.14159265358979 / 180));
  EXPECT_EQ(c.signalLevelMask, 4.0f);
  EXPECT_EQ(c.pdopMask, 12.0f);
  EXPECT_EQ(c.pdopSwitch, 8.0f);
  EXPECT_EQ(c.dgpsAgeLimit, 30);
  EXPECT_TRUE(rig.dialogs.Boxes().empty());

  // "Off" and "On" go out as their index.
  for (int index : {0, 1}) {
    form.ComboBox_DGPSMode.SetItemIndex(index);
    form.Button_Apply.Click();
    EXPECT_EQ(LastConfigSent().dgpsMode, index);
  }
}

TEST_F(GpsSettings, ApplyRefusesAValueBeyondTheClampEvenBeforeTheEditIsLeft) {
  Fill();
  form.Edit_PMask.SetText("60");
  rig.dialogs.Answer(Answer::Ok);
  form.Button_Apply.Click();
  EXPECT_TRUE(Sent().empty());
  ASSERT_EQ(rig.dialogs.Boxes().size(), 1u);
  EXPECT_EQ(rig.dialogs.Boxes().back().text, "PDOP Mask must be a number from 0 to 50.");
  EXPECT_EQ(form.Edit_PMask.Text(), "60");
  form.Edit_PMask.Exit();
  EXPECT_EQ(form.Edit_PMask.Text(), "50.0");
  form.Button_Apply.Click();
  EXPECT_EQ(LastConfigSent().pdopMask, 50.0f);

  // The limits themselves go out; the window's initial "-1" does not.
  form.Edit_EMask.SetText("90");
  form.Edit_DGPSAge.SetText("44");
  form.Button_Apply.Click();
  EXPECT_EQ(LastConfigSent().elevationMaskRad, static_cast<float>(90 * RadiansPerDegree));
  EXPECT_EQ(LastConfigSent().dgpsAgeLimit, 44);
  form.Edit_EMask.SetText("-1");
  rig.dialogs.Answer(Answer::Ok);
  form.Button_Apply.Click();
  EXPECT_EQ(rig.dialogs.Boxes().back().text,
            "Elevation Mask (degrees) must be a number from 0 to 90.");
  EXPECT_EQ(Sent().size(), 2u);
}

TEST_F(GpsSettings, LeavingAnEditOrPressingEnterInItClampsIt) {
  struct Case {
    Edit* edit;
    const char* typed;
    const char* shown;
  };
  const Case cases[] = {
      {&form.Edit_EMask, "95", "90.0"},
      {&form.Edit_EMask, "-3", "0.0"},
      {&form.Edit_EMask, "90", "90"},
      {&form.Edit_EMask, "90.000001", "90.000001"},  // the single 90
      {&form.Edit_EMask, "0", "0"},
      {&form.Edit_EMask, "45.5", "45.5"},
      {&form.Edit_SMask, "50.1", "50.0"},
      {&form.Edit_SMask, "-0.5", "0.0"},
      {&form.Edit_SMask, "50", "50"},
      {&form.Edit_PMask, "60", "50.0"},
      {&form.Edit_PMask, "-1", "0.0"},
      {&form.Edit_PSwitch, "51", "50.0"},
      {&form.Edit_PSwitch, "-7", "0.0"},
      {&form.Edit_PSwitch, "6", "6"},
      {&form.Edit_DGPSAge, "45", "44"},
      {&form.Edit_DGPSAge, "0", "1"},
      {&form.Edit_DGPSAge, "44", "44"},
      {&form.Edit_DGPSAge, "1", "1"},
      {&form.Edit_DGPSAge, "-1", "1"},
      {&form.Edit_DGPSAge, "44.9", "44.9"},  // read as 44
      {&form.Edit_EMask, "abc", "abc"},
      {&form.Edit_EMask, "", ""},
      {&form.Edit_DGPSAge, "many", "many"},
  };
  const std::vector<std::pair<const char*, std::function<void(Edit&)>>> ways = {
      {"exit", [](Edit& edit) { edit.Exit(); }},
      {"enter",
       [](Edit& edit) {
         char key = kEnter;
         edit.KeyPress(key);
         EXPECT_EQ(key, kEnter);  // passed on unchanged
       }},
  };
  for (const auto& [way, leave] : ways) {
    for (const Case& c : cases) {
      c.edit->SetText(c.typed);
      leave(*c.edit);
      EXPECT_EQ(c.edit->Text(), c.shown) << way << " " << c.edit->Name() << " " << c.typed;
    }
  }

  // Any other key leaves the text alone and goes on as typed.
  form.Edit_EMask.SetText("95");
  char key = '5';
  form.Edit_EMask.KeyPress(key);
  EXPECT_EQ(key, '5');
  EXPECT_EQ(form.Edit_EMask.Text(), "95");
  EXPECT_TRUE(Sent().empty());
}

TEST_F(GpsSettings, AFieldWithoutAValueSendsNothingAndSaysWhichInWindowOrder) {
  struct Case {
    std::function<void()> spoil;
    const char* warning;
  };
  const Case cases[] = {
      {[&] { form.ComboBox_RMode.SetItemIndex(-1); }, "Receiver Mode is not set."},
      {[&] { form.ComboBox_DGPSMode.SetItemIndex(-1); }, "DGPS Mode is not set."},
      {[&] { form.ComboBox_DCode.SetItemIndex(-1); }, "Dynamics Code is not set."},
      {[&] { form.Edit_EMask.SetText("abc"); },
       "Elevation Mask (degrees) must be a number from 0 to 90."},
      {[&] { form.Edit_SMask.SetText(""); },
       "Signal Level Mask (AMU) must be a number from 0 to 50."},
      {[&] { form.Edit_PMask.SetText("-"); }, "PDOP Mask must be a number from 0 to 50."},
      {[&] { form.Edit_PMask.SetText("nan"); }, "PDOP Mask must be a number from 0 to 50."},
      {[&] { form.Edit_PSwitch.SetText("5x"); }, "PDOP Switch must be a number from 0 to 50."},
      {[&] { form.Edit_DGPSAge.SetText("30.5"); },
       "DGPS Age Limit (seconds) must be a whole number from 1 to 44."},
      // The first of several, in the window's order: the lists of the left column first.
      {[&] {
         form.Edit_EMask.SetText("");
         form.ComboBox_DCode.SetItemIndex(-1);
       },
       "Dynamics Code is not set."},
      {[&] {
         form.Edit_DGPSAge.SetText("");
         form.Edit_SMask.SetText("");
       },
       "Signal Level Mask (AMU) must be a number from 0 to 50."},
  };
  for (const Case& c : cases) {
    Fill();
    c.spoil();
    for (Button* button : {&form.Button_Apply, &form.Button_OK}) {
      form.Show();
      rig.dialogs.Answer(Answer::Ok);
      button->Click();
      ASSERT_FALSE(rig.dialogs.Boxes().empty());
      const auto& box = rig.dialogs.Boxes().back();
      EXPECT_EQ(box.text, c.warning) << button->Name();
      EXPECT_EQ(box.caption, "Warning");
      EXPECT_EQ(box.buttons, Buttons::Ok);
      EXPECT_EQ(box.icon, Icon::Exclamation);
      EXPECT_TRUE(form.Visible()) << "the window stays open to be completed";
    }
  }
  EXPECT_EQ(rig.dialogs.Boxes().size(), 2 * std::size(cases));
  EXPECT_TRUE(Sent().empty());
}

TEST_F(GpsSettings, OkSendsAndClosesCloseOnlyCloses) {
  Fill();
  form.Show();
  form.Button_Close.Click();
  EXPECT_FALSE(form.Visible());
  EXPECT_TRUE(Sent().empty());

  form.Show();
  form.Edit_DGPSAge.SetText("45");  // typed, not yet left: refused, the window stays open
  rig.dialogs.Answer(Answer::Ok);
  form.Button_OK.Click();
  EXPECT_TRUE(form.Visible());
  EXPECT_TRUE(Sent().empty());
  form.Edit_DGPSAge.SetText("44");
  form.Button_OK.Click();
  EXPECT_FALSE(form.Visible());
  EXPECT_EQ(LastConfigSent().dgpsAgeLimit, 44);
  EXPECT_EQ(Sent().size(), 1u);
}

}  // namespace
}  // namespace zelkon
