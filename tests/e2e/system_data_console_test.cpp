// The almanac, almanac health and UTC parameter windows through the script console against the
// receiver emulator: each empties its values and asks again when it is opened, brought back to the
// front or refreshed (the almanac window also when another satellite is chosen), and shows the
// emulator's answer.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "e2e/console_rig.h"
#include "sim/packet.h"

namespace zelkon {
namespace {

using testing::ConsoleOnEmulator;
using testing::PacketBytes;
using testing::QuickConsoleReceiver;

// One `expect` line per panel of `form`: `prefix`1 .. `prefix`N with the given texts.
std::string ExpectTexts(const std::string& form, const std::vector<std::string>& panels,
                        const std::vector<std::string>& texts) {
  std::string script;
  for (size_t i = 0; i < panels.size(); ++i)
    script += "expect " + form + "." + panels[i] + ".text \"" + texts[i] + "\"\n";
  return script;
}

std::vector<std::string> HealthPanels() {
  std::vector<std::string> panels;
  for (int sv = 1; sv <= 32; ++sv)
    panels.push_back("Panel_SV" + std::to_string(sv));
  return panels;
}

TEST(SystemDataConsole, TheHealthPageShowsEverySatelliteOfTheEmulatorAndEmptiesOnRefresh) {
  ConsoleOnEmulator rig;
  ASSERT_EQ(rig.Run(""), kScriptPassed);
  rig.ForgetSent();

  // The emulator's constellation: 0 for a satellite it has, 3F for one it lacks.
  std::vector<std::string> health;
  for (int sv = 1; sv <= 32; ++sv)
    health.push_back(rig.receiver().sky.Active(sv) ? "0" : "3F");
  ASSERT_NE(std::count(health.begin(), health.end(), "0"), 0);
  ASSERT_NE(std::count(health.begin(), health.end(), "3F"), 0);
  const std::vector<std::string> empty(32, "");

  ASSERT_EQ(rig.Run("open TForm_AlmHealth\n"), kScriptPassed) << rig.err.str();
  EXPECT_EQ(rig.Sent(), (std::vector<PacketBytes>{{0x29}}));
  ASSERT_EQ(rig.Run("wait 1\n" + ExpectTexts("TForm_AlmHealth", HealthPanels(), health) +
                    "click TForm_AlmHealth.Button_Query\n" +
                    ExpectTexts("TForm_AlmHealth", HealthPanels(), empty) + "wait 1\n" +
                    ExpectTexts("TForm_AlmHealth", HealthPanels(), health)),
            kScriptPassed)
      << rig.err.str();
  EXPECT_EQ(rig.Sent(0x29), (std::vector<PacketBytes>{{0x29}, {0x29}}));
}

TEST(SystemDataConsole, TheAlmanacOfTheChosenSatelliteOnlyAndAskedAsSoonAsItIsChosen) {
  sim::SimOptions options = QuickConsoleReceiver();
  options.almanacSeconds = 3600;  // only the uploaded satellite is known
  ConsoleOnEmulator rig(options);
  ASSERT_EQ(rig.Run(""), kScriptPassed);
  rig.ForgetSent();
  ASSERT_TRUE(rig.receiver().LoadSystemData(2, 12,
                                            sim::PayloadWriter()
                                                .U8(12)
                                                .Single(233472.0f)
                                                .U16(2318)
                                                .Single(0.0125f)
                                                .Single(319488.0f)
                                                .Single(0.9599f)
                                                .Single(-8.125e-9f)
                                                .Single(5153.625f)
                                                .Single(-2.5f)
                                                .Single(1.25f)
                                                .Single(0.5f)
                                                .Build(0x40)
                                                .payload));
  const std::vector<std::string> panels = {
      "Panel_T_zc",      "Panel_WeekNum", "Panel_Eccentricity", "Panel_T_oa",  "Panel_i_o",
      "Panel_OMEGA_dot", "Panel_SqRootA", "Panel_OMEGAo",       "Panel_Omega", "Panel_Mo"};
  const std::string loaded =
      ExpectTexts("TForm_AlmanacData", panels,
                  {"233472", "2318", "0.012500", "319488", "0.959900", "-8.125000e-09",
                   "5153.625000", "-2.500000", "1.250000", "0.500000"});
  const std::string empty = ExpectTexts("TForm_AlmanacData", panels, std::vector<std::string>(10));

  // Satellite 1 first; the emulator has no almanac for it and the window stays empty.
  ASSERT_EQ(
      rig.Run("open TForm_AlmanacData\nexpect TForm_AlmanacData.ComboBox_SV.text 1\nwait 1\n" +
              empty + "set TForm_AlmanacData.ComboBox_SV 12\n"),
      kScriptPassed)
      << rig.err.str();
  // Choosing asks at once, before any refresh.
  EXPECT_EQ(rig.Sent(0x20), (std::vector<PacketBytes>{{0x20, 1}, {0x20, 12}}));
  ASSERT_EQ(rig.Run("wait 1\n" + loaded), kScriptPassed) << rig.err.str();

  // Satellite 13, unknown to the emulator, leaves the window empty. Satellite 12 asked for, then
  // 14 chosen before the answer was read: 12's almanac is not shown under 14.
  ASSERT_EQ(rig.Run("set TForm_AlmanacData.ComboBox_SV 13\nwait 1\n"
                    "set TForm_AlmanacData.ComboBox_SV 12\nset TForm_AlmanacData.ComboBox_SV 14\n"
                    "wait 1\n" +
                    empty),
            kScriptPassed)
      << rig.err.str();

  // Back to 12; then the window brought to the front again and refreshed: each time it empties
  // and asks for 12 again.
  rig.ForgetSent();
  ASSERT_EQ(rig.Run("set TForm_AlmanacData.ComboBox_SV 12\nwait 1\n" + loaded +
                    "open TForm_AlmanacData\n" + empty + "wait 1\n" + loaded +
                    "click TForm_AlmanacData.Button_Query\n" + empty + "wait 1\n" + loaded),
            kScriptPassed)
      << rig.err.str();
  EXPECT_EQ(rig.Sent(0x20), (std::vector<PacketBytes>{{0x20, 12}, {0x20, 12}, {0x20, 12}}));
}

TEST(SystemDataConsole, TheUtcParametersOfTheEmulatorEachInItsPanel) {
  ConsoleOnEmulator rig;
  ASSERT_EQ(rig.Run(""), kScriptPassed);
  rig.ForgetSent();
  const std::vector<std::string> panels = {"Panel_A0",  "Panel_A1",    "Panel_AETls",
                                           "Panel_Tot", "Panel_WNt",   "Panel_WNlsf",
                                           "Panel_DN",  "Panel_AETlsf"};
  const std::string empty = ExpectTexts("TForm_UTCParam", panels, std::vector<std::string>(8));

  // The emulator's own A0 and A1, about a nanosecond and a femtosecond a second, are readable.
  ASSERT_EQ(rig.Run("open TForm_UTCParam\n" + empty +
                    "wait 1\n"
                    "expect TForm_UTCParam.Panel_A0.text 1.862645e-09\n"
                    "expect TForm_UTCParam.Panel_A1.text 8.881784e-16\n"),
            kScriptPassed)
      << rig.err.str();

  // Parameters given to the receiver's UTC test mode, every field its own value.
  rig.receiver().EnterUtcTest({1.5e-9, -1.25f, 17, 405504.125f, 2300, 2310, 5, 18});
  const std::string shown =
      ExpectTexts("TForm_UTCParam", panels,
                  {"1.500000e-09", "-1.250000", "17", "405504.12", "2300", "2310", "5", "18"});
  ASSERT_EQ(rig.Run(  // brought to the front again
                "open TForm_UTCParam\n" + empty + "wait 1\n" + shown +
                "click TForm_UTCParam.Button_Query\n" + empty + "wait 1\n" + shown),
            kScriptPassed)
      << rig.err.str();
  EXPECT_EQ(rig.Sent(0x2F), (std::vector<PacketBytes>{{0x2F}, {0x2F}, {0x2F}}));
}

TEST(SystemDataConsole, AReceiverThatDoesNotAnswerLeavesTheValuesEmpty) {
  sim::SimOptions options = QuickConsoleReceiver();
  options.refused = {0x2900, 0x2F00};
  ConsoleOnEmulator rig(options);
  ASSERT_EQ(rig.Run("open TForm_AlmHealth\nopen TForm_UTCParam\nwait 3\n"
                    "expect TForm_AlmHealth.Panel_SV1.text \"\"\n"
                    "expect TForm_AlmHealth.Panel_SV32.text \"\"\n"
                    "expect TForm_UTCParam.Panel_A0.text \"\"\n"
                    "expect TForm_UTCParam.Panel_AETlsf.text \"\"\n"),
            kScriptPassed)
      << rig.err.str();
  EXPECT_EQ(rig.Sent(0x29).size(), 1u);
  EXPECT_EQ(rig.Sent(0x2F).size(), 1u);
}

}  // namespace
}  // namespace zelkon
