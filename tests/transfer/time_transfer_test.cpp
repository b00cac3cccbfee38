#include "transfer/time_transfer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "link/codec.h"
#include "support/test_rig.h"

namespace zelkon {
namespace {

using testing::PacketBytes;
using testing::TestRig;

constexpr double kWeek = 604800.0;

TEST(TimeTransfer, GpsSecondsToCalendar) {
  struct Case {
    double seconds;
    UtcTime time;
  };
  const Case cases[] = {
      {0, {1980, 1, 6, 0, 0, 0}},
      {360 * 86400.0, {1980, 12, 31, 0, 0, 0}},
      {55 * 86400.0, {1980, 3, 1, 0, 0, 0}},
      {1400 * kWeek + 3600 - 14, {2006, 11, 5, 0, 59, 46}},
      {1400 * kWeek + 86399.75, {2006, 11, 5, 23, 59, 59}},  // seconds are cut
      {-9, {1980, 1, 5, 23, 59, 51}},                        // before the epoch
  };
  for (const Case& c : cases) {
    EXPECT_EQ(GpsSecondsToCalendar(c.seconds), c.time) << c.seconds;
  }
}

TEST(TimeTransfer, PcClockToGpsSeconds) {
  struct Case {
    UtcTime now;
    double seconds;
  };
  const Case cases[] = {
      {{1980, 1, 6, 0, 0, 0}, 0},
      {{1980, 3, 1, 0, 0, 0}, 4752000},  // counts 29 February 1980
      {{2006, 11, 5, 0, 0, 0}, 846720000},
      {{2006, 11, 5, 0, 59, 46}, 846723586},
      {{2000, 3, 1, 0, 0, 0}, 7305 * 86400.0 - 5 * 86400.0 + 60 * 86400.0},
  };
  testing::FakeSystemTime clock;
  for (const Case& c : cases) {
    clock.now = c.now;
    EXPECT_EQ(PcClockToGpsSeconds(clock), c.seconds) << c.now.year << "-" << c.now.month;
  }
}

// Both directions agree on every date, also after 2035 (2100 has no 29 February, 2400 has).
TEST(TimeTransfer, CalendarRoundTripsBeyondTheTables) {
  using namespace std::chrono;
  testing::FakeSystemTime clock;
  const std::vector<UtcTime> dates = {
      {2035, 12, 31, 23, 59, 59}, {2036, 1, 1, 0, 0, 0},      {2036, 2, 29, 12, 0, 0},
      {2099, 12, 31, 23, 59, 59}, {2100, 2, 28, 1, 2, 3},     {2100, 3, 1, 0, 0, 0},
      {2400, 2, 29, 18, 30, 15},  {2999, 12, 31, 23, 59, 59},
  };
  const sys_days epoch{year{1980} / January / 6};
  for (const UtcTime& date : dates) {
    clock.now = date;
    const double seconds = PcClockToGpsSeconds(clock);
    const sys_days day{year{date.year} / date.month / date.day};
    const double expected = static_cast<double>((day - epoch).count()) * 86400.0 +
                            date.hour * 3600.0 + date.minute * 60.0 + date.second;
    EXPECT_EQ(seconds, expected) << date.year;
    EXPECT_EQ(GpsSecondsToCalendar(seconds), date) << date.year;
  }
}

// A receiver that has its time and is not in a test mode, as its newest 0x8F-AC says.
void DoingFixes(TestRig& rig) { rig.app.telemetry.Add(TimingSupplemental{}, rig.clock.NowMs()); }

const int kPlausibleWeek = BuildWeekWindow().earliest + 10;

TEST(PcClock, SetsUtcAndSaysSo) {
  TestRig rig;
  DoingFixes(rig);
  rig.dialogs.Answer(Answer::Ok);
  SetPcClock(rig.app, {3600, kPlausibleWeek, 14});
  ASSERT_EQ(rig.systemTime.setCalls.size(), 1u);
  EXPECT_EQ(rig.systemTime.setCalls[0], GpsSecondsToCalendar(kPlausibleWeek * kWeek + 3600 - 14));
  EXPECT_TRUE(rig.dialogs.Boxes().empty());  // shown once the packet loop has ended
  rig.FinishPacketLoop();
  ASSERT_EQ(rig.dialogs.Boxes().size(), 1u);
  EXPECT_EQ(rig.dialogs.Boxes()[0].text, "PC time was set.");
  EXPECT_EQ(rig.dialogs.Boxes()[0].caption, "Success");
  EXPECT_EQ(rig.dialogs.Boxes()[0].buttons, Buttons::Ok);
}

// A time the receiver does not vouch for leaves the clock alone and says why in the caption, from
// the time report and what the telemetry holds of the status reports (the virtual clock is at 0).
TEST(PcClock, FailuresLeaveTheClockAlone) {
  using Said = std::function<void(Telemetry&)>;
  const auto status = [](uint8_t code, uint16_t alarms = 0, int64_t atMs = 0) -> Said {
    return [=](Telemetry& t) {
      t.Add(TimingSupplemental{.minorAlarms = alarms, .receiverStatus = code}, atMs);
    };
  };
  const Said fixes = status(0);
  const auto utcTime = [&](uint8_t flags, uint8_t code = 0) -> Said {
    return [=](Telemetry& t) {
      fixes(t);
      t.Add(PrimaryUtcTime{.receiverStatus = code, .flags = flags}, 0);
    };
  };
  const int week = kPlausibleWeek;
  const auto after = [&](float timeOfWeek) -> Said {  // the time report before said this
    return [=](Telemetry& t) {
      fixes(t);
      t.Add(GpsTime{timeOfWeek, static_cast<uint16_t>(week), 18});
      t.Add(GpsTime{3600, static_cast<uint16_t>(week), 18});
    };
  };
  const WeekWindow weeks = BuildWeekWindow();
  struct Case {
    TimeReading reading;
    Said said;
    const char* caption;
  };
  const Case cases[] = {
      {{0, 0, 14}, fixes, "GPS time is not available yet."},
      {{-1, 0, 0}, fixes, "GPS time is not available yet."},
      {{3600, week, 18}, status(1), "GPS time is not available yet."},
      {{3600, week, 18}, utcTime(1, 3), "GPS time is not available yet."},  // "Need Time"
      {{3600, week, 18}, [](Telemetry&) {}, "Receiver status is not available yet."},
      {{3600, week, 18},
       status(0, 0, -kFreshEvidenceMs - 1),
       "Receiver status is not available yet."},
      {{3600, week, 18}, status(0, 1U << 8), "The receiver is in a test mode."},
      {{86400, 0, 18}, fixes, "GPS week 0 (Jan 6, 1980) is not plausible."},
      {{3600, 1400, 14}, fixes, "GPS week 1400 (Nov 5, 2006) is not plausible."},
      {{3600, weeks.earliest - 1, 18}, fixes, "not plausible."},
      {{3600, weeks.latest + 1, 18}, fixes, "not plausible."},
      {{3600, week, 0}, fixes, "UTC offset is not available yet."},
      {{3600, week, std::nan("")}, fixes, "UTC offset is not available yet."},
      {{3600, week, 256}, fixes, "UTC offset is not available yet."},
      {{3600, week, 18}, utcTime(0x30), "UTC offset is not available yet."},  // leap pending
      {{3600, week, 18}, utcTime(0x81), "A leap second is in progress."},
      {{3600, week, 18}, after(3601), "The receiver's time went backwards."},
      // Vouched for, and refused by the system: a stale 0x8F-AD and a report under a second
      // earlier say nothing against it; the first and the last week believed in.
      {{3600, week, 18},
       [&](Telemetry& t) {
         after(3600.5f)(t);
         t.Add(PrimaryUtcTime{.receiverStatus = 3, .flags = 0}, -kFreshEvidenceMs - 1);
       },
       "Time set failure."},
      {{3600, weeks.earliest, 18}, fixes, "Time set failure."},
      {{3600, weeks.latest, 18}, fixes, "Time set failure."},
  };
  for (const Case& c : cases) {
    TestRig rig;
    c.said(rig.app.telemetry);
    rig.systemTime.allowSet = false;
    rig.systemTime.now = {2020, 1, 1, 0, 0, 0};
    rig.dialogs.Answer(Answer::Ok);
    SetPcClock(rig.app, c.reading);
    rig.FinishPacketLoop();
    const bool vouched = std::string(c.caption) == "Time set failure.";
    EXPECT_EQ(rig.systemTime.setCalls.size(), vouched ? 1u : 0u) << c.caption;
    EXPECT_EQ(rig.systemTime.now, (UtcTime{2020, 1, 1, 0, 0, 0}));
    ASSERT_EQ(rig.dialogs.Boxes().size(), 1u);
    EXPECT_EQ(rig.dialogs.Boxes()[0].text, "Can't set time");
    EXPECT_TRUE(rig.dialogs.Boxes()[0].caption.ends_with(c.caption))
        << rig.dialogs.Boxes()[0].caption;
    EXPECT_EQ(rig.dialogs.Boxes()[0].buttons, Buttons::Ok);
  }
}

class InitialTimeWindow : public ::testing::Test {
 protected:
  TestRig rig;
  TForm_InitialTime& form = rig.app.Form_InitialTime;
};

TEST_F(InitialTimeWindow, SetTimeSendsThePcClockAsWeekAndTimeOfWeek) {
  ASSERT_TRUE(rig.Start());
  rig.systemTime.now = {2006, 11, 5, 1, 0, 0};
  form.Button_SetTime.Click();
  rig.systemTime.now = {2006, 11, 11, 23, 59, 59};  // the last second of week 1400
  form.Button_SetTime.Click();

  const auto packet = [](float timeOfWeek, uint16_t week) {
    PacketBytes p(7);
    p[0] = 0x2E;
    WriteSingle(timeOfWeek, &p[1]);
    WriteU16(week, &p[5]);
    return p;
  };
  EXPECT_EQ(rig.port.SentPackets(),
            (std::vector<PacketBytes>{packet(3600, 1400), packet(604799, 1400)}));
  EXPECT_TRUE(rig.dialogs.Boxes().empty());
}

TEST_F(InitialTimeWindow, NothingIsSentWhileTheLinkIsDown) {
  ASSERT_TRUE(rig.Start());
  rig.app.state.LinkReady = false;
  form.Button_SetTime.Click();
  EXPECT_TRUE(rig.port.SentPackets().empty());
}

TEST_F(InitialTimeWindow, ClosingGreysTheAcceptedCircle) {
  form.Show();
  form.Shape_TimeAccepted.SetBrushColor(colours::kGreen);
  form.Button_Cancel.Click();
  EXPECT_FALSE(form.Visible());
  EXPECT_EQ(form.Shape_TimeAccepted.BrushColor(), colours::kGrey);

  form.Show();
  form.Shape_TimeAccepted.SetBrushColor(colours::kRed);
  form.Close();  // the window's own close box
  EXPECT_EQ(form.Shape_TimeAccepted.BrushColor(), colours::kGrey);
}

}  // namespace
}  // namespace zelkon
