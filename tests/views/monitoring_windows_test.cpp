#include "views/monitoring_windows.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "core/dispatcher.h"
#include "link/codec.h"
#include "support/test_rig.h"

namespace zelkon {
namespace {

using testing::PacketBytes;
using testing::TestRig;
using Packets = std::vector<PacketBytes>;

// A rig whose port is open, so that commands go out; nothing has been sent yet.
struct OpenRig : TestRig {
  OpenRig() {
    EXPECT_TRUE(Start());
    EXPECT_TRUE(port.SentPackets().empty());
  }
};

// The time between consecutive writes.
std::vector<int64_t> Gaps(const testing::FakeSerialPort& port) {
  std::vector<int64_t> gaps;
  const auto writes = port.Writes();
  for (size_t i = 1; i < writes.size(); ++i)
    gaps.push_back(writes[i].timeMs - writes[i - 1].timeMs);
  return gaps;
}

std::vector<Panel*> PanelsOf(Form& form, const std::set<std::string>& except = {}) {
  std::vector<Panel*> panels;
  for (Control* control : form.Controls()) {
    if (control->Kind() == ControlKind::Panel && except.count(control->Name()) == 0)
      panels.push_back(static_cast<Panel*>(control));
  }
  return panels;
}

void Fill(const std::vector<Panel*>& panels) {
  for (Panel* panel : panels)
    panel->SetCaption("old");
}

// Names of the panels whose caption is not `text`.
std::vector<std::string> NotShowing(const std::vector<Panel*>& panels, const std::string& text) {
  std::vector<std::string> names;
  for (Panel* panel : panels) {
    if (panel->Caption() != text) names.push_back(panel->Name());
  }
  return names;
}

void DeliverRawMeasurement(Monitor& app, int prn) {
  uint8_t payload[25] = {static_cast<uint8_t>(prn)};
  WriteSingle(20.0f, &payload[1]);
  DispatchReport(app, 0x5A, payload);
}

// ---- Raw measurement ----

TEST(RawMeasurementWindow, ActivationTabChangeAndRefreshEmptyThePanelsAndQueryTheShownSatellite) {
  OpenRig rig;
  TForm_RawMeas& f = rig.app.Form_RawMeas;
  const std::vector<Panel*> values = PanelsOf(f);
  ASSERT_EQ(values.size(), 5u);

  Fill(values);
  f.Activate();
  EXPECT_EQ(NotShowing(values, ""), std::vector<std::string>{});
  EXPECT_EQ(rig.port.SentPackets(), (Packets{{0x3A, 1}}));

  f.TabControl_SV.SetTabIndex(16);
  f.TabControl_SV.Change();
  EXPECT_EQ(rig.port.SentPackets().back(), (PacketBytes{0x3A, 17}));

  // The answer for a neighbour is not shown; the one for the tab is.
  DeliverRawMeasurement(rig.app, 16);
  EXPECT_EQ(f.Panel_SampleLen.Caption(), "");
  DeliverRawMeasurement(rig.app, 17);
  EXPECT_EQ(f.Panel_SampleLen.Caption(), "20.000000");

  // Each press sends again and blanks the panels until the next answer.
  rig.port.ClearWrites();
  f.Button_Refresh.Click();
  EXPECT_EQ(NotShowing(values, ""), std::vector<std::string>{});
  f.Button_Refresh.Click();
  EXPECT_EQ(rig.port.SentPackets(), (Packets{{0x3A, 17}, {0x3A, 17}}));
}

// ---- Ephemeris status ----

TEST(EphemerisStatusWindow, ActivationListChangeAndRefreshEmptyThePanelsAndQueryTheItem) {
  OpenRig rig;
  TForm_EphemStat& f = rig.app.Form_EphemStat;
  const std::vector<Panel*> values = PanelsOf(f);
  ASSERT_EQ(values.size(), 6u);

  Fill(values);
  f.Activate();
  EXPECT_EQ(NotShowing(values, ""), std::vector<std::string>{});

  f.ComboBox_SV.SetItemIndex(31);
  f.ComboBox_SV.Change();
  Fill(values);
  f.Button_Refresh.Click();
  EXPECT_EQ(NotShowing(values, ""), std::vector<std::string>{});
  EXPECT_EQ(rig.port.SentPackets(), (Packets{{0x3B, 1}, {0x3B, 32}, {0x3B, 32}}));
}

// ---- Product information ----

TEST(ProductWindow, ActivationEmptiesEveryValueThenSendsThreeQueries300MsApart) {
  OpenRig rig;
  TForm_Product& f = rig.app.Form_Product;
  // Every panel but the version frame: the two boxes carry values in their captions.
  const std::vector<Panel*> values = PanelsOf(f, {"Panel2"});
  ASSERT_EQ(values.size(), 18u);
  Fill(values);

  f.Activate();
  EXPECT_EQ(NotShowing(values, ""), std::vector<std::string>{});
  EXPECT_EQ(rig.port.SentPackets(), (Packets{{0x1F}, {0x8E, 0x41}, {0x8E, 0x42}}));
  EXPECT_EQ(Gaps(rig.port), (std::vector<int64_t>{300, 300}));

  f.Show();
  f.Button_Close.Click();
  EXPECT_FALSE(f.Visible());
  EXPECT_EQ(rig.port.SentPackets().size(), 3u);
}

// ---- Velocity and position ----

TEST(VelocityPositionWindow, ClearAndCloseBlankEveryValuePanel) {
  TestRig rig;
  TForm_VelPos& f = rig.app.Form_VelPos;
  const std::vector<Panel*> values = PanelsOf(f, {"Panel_ECEFPosition", "Panel_LLAPosition"});
  ASSERT_EQ(values.size(), 16u);
  const std::string ecefHint = f.Panel_ECEFPosition.Hint();

  Fill(values);
  f.Button1.Click();
  EXPECT_EQ(NotShowing(values, " "), std::vector<std::string>{});
  EXPECT_EQ(f.Panel_ECEFPosition.Hint(), ecefHint);

  Fill(values);
  f.Show();
  f.Button_Close.Click();
  EXPECT_FALSE(f.Visible());
  EXPECT_EQ(NotShowing(values, " "), std::vector<std::string>{});

  Fill(values);
  f.Show();
  f.Close();  // the window's own close box
  EXPECT_EQ(NotShowing(values, " "), std::vector<std::string>{});
  EXPECT_TRUE(rig.port.SentPackets().empty());
}

// ---- Additional timing ----

TEST(AdditionalTimingWindow, ActivationAndRefreshQueryBothTimeReports) {
  OpenRig rig;
  TForm_AddTiming& f = rig.app.Form_AddTiming;
  f.Activate();
  f.Button_Query.Click();
  EXPECT_EQ(rig.port.SentPackets(),
            (Packets{{0x8E, 0xAD}, {0x8E, 0x0B}, {0x8E, 0xAD}, {0x8E, 0x0B}}));
  const std::vector<int64_t> gaps = Gaps(rig.port);
  ASSERT_EQ(gaps.size(), 3u);
  EXPECT_EQ(gaps[0], 300);
  EXPECT_EQ(gaps[2], 300);
}

TEST(AdditionalTimingWindow, ClearAndCloseBlankTheValuesAndTurnTheLedsOff) {
  TestRig rig;
  TForm_AddTiming& f = rig.app.Form_AddTiming;
  const std::vector<Panel*> values = PanelsOf(f, {"Panel1", "Panel4", "Panel_CompTime"});
  ASSERT_EQ(values.size(), 30u);

  auto fillAll = [&] {
    Fill(values);
    for (Shape* led : f.Leds())
      led->SetBrushColor(colours::kGreen);
    f.Panel_SV[2].SetColor(colours::kAqua);
  };
  auto expectCleared = [&](const char* how) {
    EXPECT_EQ(NotShowing(values, " "), std::vector<std::string>{}) << how;
    for (Shape* led : f.Leds())
      EXPECT_EQ(led->BrushColor(), colours::kGrey) << led->Name() << " after " << how;
    EXPECT_EQ(f.Panel_SV[2].Color(), colours::kAqua) << how;
  };

  fillAll();
  f.Button_Clear.Click();
  expectCleared("C&lear");

  fillAll();
  f.Show();
  f.Button_Close.Click();
  EXPECT_FALSE(f.Visible());
  expectCleared("&Close");

  // Reopened, it stays blank until the answers arrive.
  fillAll();
  f.Show();
  f.Close();
  f.Show();
  expectCleared("closing and reopening");
}

TEST(AdditionalTimingWindow, EventCapturePulsesRtsOnAnOpenPortOnly) {
  {
    TestRig rig;
    rig.app.Form_AddTiming.Button_Event.Click();
    EXPECT_TRUE(rig.port.rtsChanges.empty());
    EXPECT_TRUE(rig.port.SentPackets().empty());
    EXPECT_TRUE(rig.dialogs.Boxes().empty());
  }
  {
    OpenRig rig;
    rig.app.Form_AddTiming.Button_Event.Click();
    EXPECT_EQ(rig.port.rtsChanges, (std::vector<bool>{true, false}));
    EXPECT_TRUE(rig.port.SentPackets().empty());
  }
}

}  // namespace
}  // namespace zelkon
