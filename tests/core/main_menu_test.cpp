#include "menu/main_menu.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "main/about.h"
#include "receiver/receiver_type.h"
#include "support/test_rig.h"

namespace zelkon {
namespace {

using testing::PacketBytes;
using testing::TestRig;

class MainMenu : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(rig.Start());
    rig.app.polling.StartupCountdown = -1;
    // Something on display that a reset clears.
    f().Panel_SV[3].SetCaption("14");
    f().Panel_AMU[3].SetCaption("12.5");
    f().Panel_TOW.SetCaption("318000");
  }
  TForm_Main& f() { return rig.app.Form_Main; }
  std::vector<PacketBytes> Sent() { return rig.port.SentPackets(); }
  TestRig rig;
};

struct ConfirmedCommand {
  const char* item;
  const char* text;
  const char* caption;
  PacketBytes bytes;
  bool clearsSatellites;
  bool portFollows;
};

// Each of these asks Yes/No first; No sends nothing and changes no display.
const std::vector<ConfirmedCommand> kConfirmed = {
    {"ControlCold", "Do you really want to clear RAM?", "Cold reset?", {0x1E, 0x4B}, true, false},
    {"ControlWarm",
     "Do you really want to restart the receiver?",
     "Warm reset?",
     {0x25},
     true,
     false},
    {"ControlFactoryAll",
     "Sending a factory reset will cause the receiver\nto re-initialize itself to the factory "
     "defaults.  Proceed?",
     "Reset receiver?",
     {0x1E, 0x46},
     true,
     true},
    {"ControlFactoryNav",
     "Sending this reset will cause the receiver to re-initialize\nthe navigation data to the "
     "factory defaults.  Proceed?",
     "Reset receiver?",
     {0x1E, 0x4E},
     true,
     false},
    {"ControlFactoryConfig",
     "Sending this reset will cause the receiver to re-initialize\nthe configuration parameters "
     "to the factory defaults.  Proceed?",
     "Reset receiver?",
     {0x1E, 0x52},
     true,
     true},
    {"ControlRestartSurvey",
     "Do you really want to restart the self-survey?",
     "Restart self-survey?",
     {0x8E, 0xA6, 0x00},
     false,
     false},
};

TEST_F(MainMenu, ConfirmedCommandsAnsweredNoSendNothingAndChangeNothing) {
  for (const auto& command : kConfirmed) {
    rig.dialogs.Answer(Answer::No);
    static_cast<MenuItem*>(f().Find(command.item))->Click();
    EXPECT_TRUE(Sent().empty()) << command.item;
    EXPECT_EQ(f().Panel_SV[3].Caption(), "14") << command.item;
    EXPECT_EQ(f().Panel_TOW.Caption(), "318000") << command.item;
  }
  ASSERT_EQ(rig.dialogs.Boxes().size(), kConfirmed.size());
  for (size_t i = 0; i < kConfirmed.size(); ++i) {
    EXPECT_EQ(rig.dialogs.Boxes()[i].text, kConfirmed[i].text);
    EXPECT_EQ(rig.dialogs.Boxes()[i].caption, kConfirmed[i].caption);
    EXPECT_EQ(rig.dialogs.Boxes()[i].buttons, Buttons::YesNo);
  }
}

TEST(MainMenuCommands, ConfirmedCommandsSendTheirBytesClearTheDisplayAndMoveThePcPort) {
  for (const auto& command : kConfirmed) {
    TestRig rig;
    ASSERT_TRUE(rig.Start());
    TForm_Main& f = rig.app.Form_Main;
    f.Panel_SV[3].SetCaption("14");
    f.Panel_AMU[3].SetCaption("12.5");
    f.Panel_TOW.SetCaption("318000");
    f.Panel_Serial.SetCaption("COM1 19200, 8-Even-2");
    const size_t configures = rig.port.configured.size();
    rig.dialogs.Answer(Answer::Yes);
    const int64_t start = rig.clock.NowMs();
    static_cast<MenuItem*>(f.Find(command.item))->Click();

    ASSERT_EQ(rig.port.SentPackets(), std::vector<PacketBytes>{command.bytes}) << command.item;
    EXPECT_EQ(f.Panel_SV[3].Caption(), command.clearsSatellites ? "0" : "14") << command.item;
    EXPECT_EQ(f.Panel_AMU[3].Caption(), command.clearsSatellites ? "0.0" : "12.5");
    EXPECT_EQ(f.Panel_TOW.Caption(), command.clearsSatellites ? "" : "318000");
    if (command.portFollows) {
      // 300 ms after the command, the PC port goes back to 9600, 8 data bits, odd, 1 stop bit.
      EXPECT_EQ(rig.port.configured.size(), configures + 1) << command.item;
      EXPECT_EQ(rig.port.configured.back(), (LineSettings{9600, 8, Parity::Odd, 1}));
      EXPECT_EQ(f.Panel_Serial.Caption(), "COM1 9600, 8-Odd-1");
      EXPECT_GE(rig.clock.NowMs() - start, kSendWaitMs + 300);
    } else {
      EXPECT_EQ(rig.port.configured.size(), configures) << command.item;
      EXPECT_EQ(f.Panel_Serial.Caption(), "COM1 19200, 8-Even-2");
    }
  }
}

TEST_F(MainMenu, EepromCommandsAskOkCancelWithAWarning) {
  rig.dialogs.Answer(Answer::Cancel);
  f().SetupSaveSegments.Click();
  rig.dialogs.Answer(Answer::Cancel);
  f().SetupDefaultSegments.Click();
  EXPECT_TRUE(Sent().empty());

  rig.dialogs.Answer(Answer::Ok);
  f().SetupSaveSegments.Click();
  EXPECT_EQ(Sent(), (std::vector<PacketBytes>{{0x8E, 0x26}}));

  rig.port.ClearWrites();
  f().Panel_Serial.SetCaption("COM1 4800, 8-None-1");
  rig.dialogs.Answer(Answer::Ok);
  f().SetupDefaultSegments.Click();
  EXPECT_EQ(Sent(), (std::vector<PacketBytes>{{0x8E, 0x45, 0xFF}}));
  EXPECT_EQ(rig.port.configured.back(), (LineSettings{9600, 8, Parity::Odd, 1}));
  EXPECT_EQ(f().Panel_Serial.Caption(), "COM1 9600, 8-Odd-1");

  const auto& boxes = rig.dialogs.Boxes();
  ASSERT_EQ(boxes.size(), 4u);
  EXPECT_EQ(boxes[0].caption, "Save All Segments");
  EXPECT_EQ(boxes[0].text,
            "This operation will save all receiver configuration segments to the EEPROM.  Are "
            "you sure that you want to proceed?");
  EXPECT_EQ(boxes[1].caption, "Default All Segments");
  for (const auto& box : boxes) {
    EXPECT_EQ(box.buttons, Buttons::OkCancel);
    EXPECT_EQ(box.icon, Icon::Exclamation);
  }
}

TEST_F(MainMenu, HiddenKeysSendInTheirModes) {
  f().ControlPacketsOn.Click();
  f().ControlSICode6.Click();  // not in engineering mode: nothing
  EXPECT_EQ(Sent(), (std::vector<PacketBytes>{{0x8E, 0xA5, 0x32, 0xE1, 0x00, 0x00}}));

  rig.port.ClearWrites();
  rig.app.state.EngineeringMode = true;
  f().ControlSICode6.Click();
  f().ControlSICode8.Click();
  f().ControlSICode9.Click();
  f().ControlPacketsOn.Click();
  EXPECT_EQ(Sent(), (std::vector<PacketBytes>{{0x8E, 0xAF, 6},
                                              {0x8E, 0xAF, 8},
                                              {0x8E, 0xAF, 9},
                                              {0x8E, 0xA5, 0x32, 0xE1, 0x00, 0x00}}));
}

TEST_F(MainMenu, PollingSwitchAsksOnlyWhenSwitchingOnAndStoresTheChoice) {
  MenuItem& polling = f().ControlPollingTimingPkts;
  ASSERT_FALSE(polling.Checked());

  rig.dialogs.Answer(Answer::No);
  polling.Click();
  EXPECT_FALSE(polling.Checked());
  EXPECT_TRUE(rig.settings.values.empty());
  EXPECT_EQ(f().Panel_TOW.Caption(), "318000");

  rig.dialogs.Answer(Answer::Yes);
  polling.Click();
  EXPECT_TRUE(polling.Checked());
  EXPECT_EQ(rig.settings.values["NTP"], "0");
  EXPECT_EQ(f().Panel_TOW.Caption(), "");      // cleared
  EXPECT_EQ(f().Panel_SV[3].Caption(), "14");  // but not the satellite rows
  ASSERT_EQ(rig.dialogs.Boxes().size(), 2u);
  EXPECT_EQ(rig.dialogs.Boxes()[1].caption, "Warning");

  polling.Click();  // switching off asks nothing
  EXPECT_FALSE(polling.Checked());
  EXPECT_EQ(rig.settings.values["NTP"], "1");
  EXPECT_EQ(rig.dialogs.Boxes().size(), 2u);
  EXPECT_TRUE(Sent().empty());
}

TEST_F(MainMenu, TransferItemsSetTheirRequests) {
  f().ControlTimeToPC.Click();
  EXPECT_EQ(Sent(), (std::vector<PacketBytes>{{0x21}}));
  EXPECT_TRUE(rig.app.Feature<TimeToPcRequest>().pending);
  EXPECT_FALSE(rig.app.Feature<PositionDownloadRequest>().pending);
  f().ControlDownloadPos.Click();
  EXPECT_TRUE(rig.app.Feature<PositionDownloadRequest>().pending);
}

TEST_F(MainMenu, WindowItemsAndClickTargetsShowTheirWindows) {
  const std::vector<std::pair<std::function<void()>, Form*>> targets = {
      {[&] { f().ViewAddTiming.Click(); }, &rig.app.Form_AddTiming},
      {[&] { f().ViewVelPos.Click(); }, &rig.app.Form_VelPos},
      {[&] { f().ViewTrack.Click(); }, &rig.app.Form_Track},
      {[&] { f().Label_SVData.Click(); }, &rig.app.Form_Track},
      {[&] { f().ViewRawMeas.Click(); }, &rig.app.Form_RawMeas},
      {[&] { f().ViewEphemStat.Click(); }, &rig.app.Form_EphemStat},
      {[&] { f().ViewProduct.Click(); }, &rig.app.Form_Product},
      {[&] { f().Panel_Version.Click(); }, &rig.app.Form_Product},
      {[&] { f().ControlUploadPos.Click(); }, &rig.app.Form_InitialPos},
      {[&] { f().ControlUploadTime.Click(); }, &rig.app.Form_InitialTime},
      {[&] { f().HelpAbout.Click(); }, &rig.app.Form_About},
      {[&] { f().ViewMessageLog.Click(); }, &rig.app.Form_Message},
  };
  for (const auto& [click, form] : targets) {
    form->Close();
    click();
    EXPECT_TRUE(form->Visible()) << form->ClassName();
  }
}

// "Help..." names the user documentation where the desktop cannot open it: the README of the
// source tree this test was built from.
TEST_F(MainMenu, HelpSaysWhereTheUserDocumentationIs) {
  rig.dialogs.Answer(Answer::Ok);
  f().HelpContents.Click();
  ASSERT_EQ(rig.dialogs.Boxes().size(), 1u);
  const std::string& text = rig.dialogs.Boxes()[0].text;
  EXPECT_EQ(text, "The user documentation is " +
                      std::filesystem::weakly_canonical(ZELKON_SOURCE_DIR "/README.md").string() +
                      ".");
  EXPECT_EQ(UserDocumentation("/nowhere/bin/zelkon"), "");
}

TEST_F(MainMenu, LatitudeOrLongitudeClickTogglesTheStyleAndTwiceRestoresIt) {
  EXPECT_FALSE(rig.app.state.LatLonDegMin);
  f().Panel_Latitude.Click();
  EXPECT_TRUE(rig.app.state.LatLonDegMin);
  f().Panel_Longitude.Click();
  EXPECT_FALSE(rig.app.state.LatLonDegMin);
}

TEST_F(MainMenu, ReceiverTypeItemsSelectTheirType) {
  f().RecTypeT2KTPV2.Click();
  EXPECT_EQ(CheckedReceiverType(rig.app), kTypeTpv2);
  f().RecTypeVarnel.Click();
  EXPECT_EQ(CheckedReceiverType(rig.app), kTypeVarnel);
  f().RecTypeOrlaUTC.Click();  // no action
  EXPECT_EQ(CheckedReceiverType(rig.app), kTypeVarnel);
}

}  // namespace
}  // namespace zelkon
