#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "core/dispatcher.h"
#include "link/codec.h"
#include "receiver/receiver_type.h"
#include "support/decoder_helpers.h"
#include "support/test_rig.h"

namespace zelkon {
namespace {

using testing::Decode;

using testing::TestRig;
using Bytes = std::vector<uint8_t>;

// Versions 2.05 of 6/15/2006 and 1.03 of 3/1/2005; the long form adds build 17 at 13:04:09.
Bytes SoftwareVersion(size_t length) {
  Bytes p(96);
  const uint8_t head[] = {2, 5, 6, 15, 106, 1, 3, 3, 1, 105};
  std::copy(std::begin(head), std::end(head), p.begin());
  p[17] = 17;
  p[20] = 13;
  p[21] = 4;
  p[22] = 9;
  p.resize(length);
  return p;
}

Bytes Manufacturing(int year, int month, int day) {
  Bytes p(17);
  p[0] = 0x41;
  WriteU16(4512, &p[1]);
  WriteU32(3000000001u, &p[3]);
  p[7] = static_cast<uint8_t>(year);
  p[8] = static_cast<uint8_t>(month);
  p[9] = static_cast<uint8_t>(day);
  p[10] = 23;
  WriteSingle(-0.125f, &p[11]);
  WriteU16(65535, &p[15]);
  return p;
}

Bytes Production(int premiumOptions, int machineId) {
  Bytes p(19);
  p[0] = 0x42;
  p[1] = 250;
  p[2] = 3;
  WriteU16(4513, &p[3]);
  WriteU32(2718281828u, &p[5]);
  WriteU32(34567, &p[9]);
  WriteU16(static_cast<uint16_t>(premiumOptions), &p[13]);
  WriteU16(static_cast<uint16_t>(machineId), &p[15]);
  return p;
}

// ---- 0x45 ----

TEST(SoftwareVersion, ShortAndLongForms) {
  TestRig rig;
  Monitor& app = rig.app;
  TForm_Product& f = app.Form_Product;
  f.Panel_NavHour.SetCaption("before");

  Decode(0x45, app, SoftwareVersion(10));
  EXPECT_EQ(app.Form_Main.Panel_Version.Caption(), "2.05");
  EXPECT_EQ(f.Panel_NavVersion.Caption(), "2.05");
  EXPECT_EQ(f.Panel_NavDate.Caption(), "6/15/2006");
  EXPECT_EQ(f.Panel_SigVersion.Caption(), "1.03");
  EXPECT_EQ(f.Panel_SigDate.Caption(), "3/1/2005");
  EXPECT_EQ(f.Panel_NavHour.Caption(), "before");

  Decode(0x45, app, SoftwareVersion(96));
  EXPECT_EQ(f.Panel_NavVersion.Caption(), "2.05");  // the build number is for engineering only
  EXPECT_EQ(f.Panel_NavDate.Caption(), "6/15/2006");
  EXPECT_EQ(f.Panel_NavHour.Caption(), "13:04:09");
}

TEST(SoftwareVersion, EngineeringModeShowsTheBuildNumberWhereTheReportHasOne) {
  TestRig rig;
  Monitor& app = rig.app;
  app.state.EngineeringMode = true;
  TForm_Product& f = app.Form_Product;

  Decode(0x45, app, SoftwareVersion(96));
  EXPECT_EQ(f.Panel_NavVersion.Caption(), "2.05.17");
  EXPECT_EQ(app.Form_Main.Panel_Version.Caption(), "2.05");

  Decode(0x45, app, SoftwareVersion(10));
  EXPECT_EQ(f.Panel_NavVersion.Caption(), "2.05");
}

TEST(SoftwareVersion, OtherLengthsAreIgnored) {
  TestRig rig;
  Monitor& app = rig.app;
  for (size_t length : {9u, 11u, 23u, 95u, 97u})
    Decode(0x45, app, SoftwareVersion(length));
  EXPECT_EQ(app.Form_Product.Panel_NavVersion.Caption(), "");
  EXPECT_EQ(app.Form_Product.Panel_NavHour.Caption(), "");
  EXPECT_EQ(app.Form_Main.Panel_Version.Caption(), "");
}

// ---- 0x8F-41 ----

TEST(ManufacturingParams, PanelsAndTheCenturyOfTheBuildDate) {
  TestRig rig;
  Monitor& app = rig.app;
  TForm_Product& f = app.Form_Product;

  const std::vector<std::tuple<int, int, int, std::string>> dates = {
      {99, 12, 31, "12/31/1999"}, {80, 1, 1, "1/1/1980"},  {79, 6, 30, "6/30/2079"},
      {7, 1, 2, "1/2/2007"},      {0, 10, 5, "10/5/2000"},
  };
  for (const auto& [year, month, day, text] : dates) {
    Decode(0x8F, app, Manufacturing(year, month, day));
    EXPECT_EQ(f.Panel_ManDate.Caption(), text) << "year byte " << year;
  }
  EXPECT_EQ(f.Panel_ManSerNumPrefix.Caption(), "4512");
  EXPECT_EQ(f.Panel_ManSerNum.Caption(), "3000000001");  // unsigned, above 2^31
  EXPECT_EQ(f.Panel_ManHour.Caption(), "23");
  EXPECT_EQ(f.Panel_ManOscOffset.Caption(), "-0.12");
  EXPECT_EQ(f.Panel_ManIDNum.Caption(), "65535");

  Bytes longer = Manufacturing(99, 2, 2);
  longer.push_back(0);
  Decode(0x8F, app, longer);
  Bytes shorter = Manufacturing(99, 2, 2);
  shorter.pop_back();
  Decode(0x8F, app, shorter);
  EXPECT_EQ(f.Panel_ManDate.Caption(), "10/5/2000");
}

// ---- 0x8F-42 ----

TEST(ProductionParams, SevenValuesWithThePremiumOptionsInTheirBoxCaption) {
  TestRig rig;
  Monitor& app = rig.app;
  TForm_Product& f = app.Form_Product;
  Decode(0x8F, app, Production(0x8001, 98));

  EXPECT_EQ(f.Panel_ProdOptsPrefix.Caption(), "250");
  EXPECT_EQ(f.Panel_ProdNumExt.Caption(), "3");
  EXPECT_EQ(f.Panel_ProdSerNumPrefix.Caption(), "4513");
  EXPECT_EQ(f.Panel_ProdSerNum.Caption(), "2718281828");
  EXPECT_EQ(f.Panel_ProdNum.Caption(), "34567");
  EXPECT_EQ(f.Panel_ProdPremOpt.Caption(), "32769");
  EXPECT_EQ(f.Panel_ProdIDNum.Caption(), "98");
}

TEST(ProductionParams, PremiumOptionsCheckTheProductTypeOfTheDiagnosticsWindow) {
  struct Case {
    int premiumOptions;
    const RadioButton TForm_Diagnostics::*checked;
  };
  const std::vector<Case> cases = {
      {0x0001, &TForm_Diagnostics::RadioButton_Sorvek},
      {0x0005, &TForm_Diagnostics::RadioButton_Sorvek},  // bit 0 wins over bit 2
      {0x0004, &TForm_Diagnostics::RadioButton_Harvane},
      {0x0044, &TForm_Diagnostics::RadioButton_Harvane},
      {0x0000, &TForm_Diagnostics::RadioButton_Standard},
      {0x0008, &TForm_Diagnostics::RadioButton_Standard},
      {0x0102, &TForm_Diagnostics::RadioButton_Standard},
  };
  TestRig rig;
  Monitor& app = rig.app;
  TForm_Diagnostics& d = app.Form_Diagnostics;
  for (const Case& c : cases) {
    Decode(0x8F, app, Production(c.premiumOptions, 98));
    for (const RadioButton* button :
         {&d.RadioButton_Standard, &d.RadioButton_Sorvek, &d.RadioButton_Harvane}) {
      EXPECT_EQ(button->Checked(), button == &(d.*c.checked))
          << button->Name() << " for options " << c.premiumOptions;
    }
  }
}

TEST(ProductionParams, SelectsTheReceiverTypeByMachineNumberThenPremiumOptions) {
  struct Case {
    int premiumOptions;
    int machineId;
    int type;  // 0: the type the receiver had before stays
  };
  const std::vector<Case> cases = {
      {8, 98, 0},
      {0, 98, 0},
      {0x1234, 91, kTypeVarnel},
      {0, 91, kTypeVarnel},
      {0, 7, kTypeT2K},
      {8, 7, kTypeNetrel},
      {4, 7, kTypeHarvane},
      {64, 0, kTypeHarvane},
      {2, 1234, kTypeTpv2},
      {1, 7, 0},
      {5, 7, 0},
      {65535, 7, 0},
  };
  for (const Case& c : cases) {
    for (int before : {0, int{kTypeTpv2}, int{kTypeVarnel}}) {
      TestRig rig;
      Monitor& app = rig.app;
      rig.settings.values["NTP"] = "0";  // answered before: no question
      if (before != 0) ConfigureReceiverType(app, before);

      Decode(0x8F, app, Production(c.premiumOptions, c.machineId));
      EXPECT_EQ(CheckedReceiverType(app), c.type != 0 ? c.type : before)
          << "options " << c.premiumOptions << ", machine " << c.machineId << ", before " << before;
    }
  }
}

TEST(ProductionParams, SelectingATypeConfiguresItAsTheMenuWould) {
  TestRig rig;
  Monitor& app = rig.app;
  // A first run: the Tempavo Opal/2000 asks once whether it feeds an NTP server.
  rig.dialogs.Answer(Answer::No);
  Decode(0x8F, app, Production(0, 7));
  // The decoder does not block: the question, and the type it waits for, come after the packet
  // loop.
  EXPECT_TRUE(rig.dialogs.Boxes().empty());
  EXPECT_EQ(CheckedReceiverType(app), 0);
  rig.FinishPacketLoop();
  EXPECT_EQ(CheckedReceiverType(app), kTypeT2K);
  ASSERT_EQ(rig.dialogs.Boxes().size(), 1u);
  EXPECT_EQ(rig.dialogs.Boxes()[0].caption, "NTP?");
  EXPECT_TRUE(app.Form_Main.ControlPollingTimingPkts.Checked());

  Decode(0x8F, app, Production(64, 7));
  EXPECT_FALSE(app.Form_Main.ControlPollingTimingPkts.Visible());
  EXPECT_TRUE(app.Form_Main.ControlPollingTimingPkts.Checked());
  EXPECT_EQ(rig.dialogs.Boxes().size(), 1u);
}

TEST(ProductionParams, OtherLengthsChangeNothing) {
  TestRig rig;
  Monitor& app = rig.app;
  for (size_t length : {18u, 20u}) {
    Bytes report = Production(0, 7);
    report.resize(length);
    Decode(0x8F, app, report);
  }
  EXPECT_EQ(CheckedReceiverType(app), 0);
  EXPECT_FALSE(app.Form_Diagnostics.RadioButton_Standard.Checked());
  EXPECT_EQ(app.Form_Product.Panel_ProdNum.Caption(), "");
  EXPECT_TRUE(rig.dialogs.Boxes().empty());
}

}  // namespace
}  // namespace zelkon
