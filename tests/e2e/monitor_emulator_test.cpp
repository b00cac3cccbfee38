// The whole monitor core against the receiver emulator: on virtual time through an in-process
// link, and on real time over a pseudo-terminal.
#include <gtest/gtest.h>

#include <time.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "core/monitor.h"
#include "e2e/simulated_port.h"
#include "menu/main_menu.h"
#include "platform/event_loop.h"
#include "receiver/receiver_type.h"
#include "sim/demo.h"
#include "sim/sim_harness.h"
#include "support/scripted_dialogs.h"
#include "support/temp_path.h"
#include "support/virtual_clock.h"

namespace zelkon {
namespace {

using testing::DefaultStartGps;

sim::SimOptions QuickReceiver() {
  sim::SimOptions options;
  options.seed = 7;
  options.acquireSeconds = 5;
  options.surveySeconds = 60;
  options.almanacSeconds = 10;
  return options;
}

// The monitor and the emulator on one virtual clock.
struct MonitorOnEmulator {
  explicit MonitorOnEmulator(const sim::SimOptions& options = QuickReceiver())
      : port(clock, options, DefaultStartGps()) {}

  void Start() {
    app.state.ComPortNumber = 1;
    ASSERT_TRUE(app.MainFormCreate());
  }
  void RunSeconds(double seconds) { loop.RunFor(static_cast<int64_t>(seconds * 1000)); }
  TForm_Main& f() { return app.Form_Main; }

  testing::VirtualClock clock;
  testing::SimulatedSerialPort port;
  testing::ScriptedDialogs dialogs;
  testing::MemorySettings settings;
  testing::FakeSystemTime systemTime;
  Monitor app{Platform{port, clock, dialogs, settings, systemTime}};
  EventLoop loop{clock, app.ui, app.Timers()};
};

bool Matches(const std::string& text, const char* pattern) {
  return std::regex_match(text, std::regex(pattern));
}

int SatelliteRowsShown(TForm_Main& f) {
  int shown = 0;
  for (size_t i = 0; i < f.Panel_SV.size(); ++i)
    shown += f.Panel_SV[i].Caption() != "0";
  return shown;
}

TEST(MonitorOnEmulator, ATimingReceiverFillsTheMainWindow) {
  MonitorOnEmulator m;
  m.dialogs.Answer(Answer::No);  // not feeding an NTP server: poll the timing packets
  m.Start();
  // Tracking from 5 s, ephemeris collected 18 s later: fixes from about 23 s.
  m.RunSeconds(30);

  TForm_Main& f = m.f();
  ASSERT_EQ(m.dialogs.Boxes().size(), 1u);  // the NTP question, once
  EXPECT_EQ(m.dialogs.Boxes()[0].caption, "NTP?");
  EXPECT_EQ(CheckedReceiverType(m.app), kTypeT2K);
  EXPECT_TRUE(f.ControlPollingTimingPkts.Checked());
  EXPECT_EQ(m.settings.values["NTP"], "0");
  EXPECT_EQ(f.Panel_Version.Caption(), "3.07");
  EXPECT_EQ(f.Panel_Serial.Caption(), "COM1 9600, 8-Odd-1");

  // Time from the primary timing packet: 16 June 2024, about 12:00:30 UTC (GPS time shown).
  EXPECT_TRUE(Matches(f.Panel_Time.Caption(), "12:00:4[0-9]")) << f.Panel_Time.Caption();
  EXPECT_EQ(f.Panel_Date.Caption(), "Jun 16, 2024");
  EXPECT_EQ(f.Label_TimeType.Caption(), "GPS");
  EXPECT_EQ(f.Panel_UTCOffset.Caption(), "18");
  EXPECT_EQ(f.Panel_WeekNum.Caption(), "2319");
  const int tow = std::stoi(f.Panel_TOW.Caption());
  m.RunSeconds(3);
  EXPECT_NEAR(std::stoi(f.Panel_TOW.Caption()) - tow, 3, 1);

  // Surveying: 3D fixes, alarms for the survey and the missing stored position.
  EXPECT_EQ(f.Panel_Mode.Caption(), "Full Position (3D)");
  EXPECT_EQ(f.Panel_Status.Caption(), "Doing fixes");
  EXPECT_TRUE(Matches(f.Panel_SelfSurvey.Caption(), "[1-9][0-9]?%"))
      << f.Panel_SelfSurvey.Caption();
  EXPECT_EQ(f.Shape_Bit5.BrushColor(), colours::kYellow);
  EXPECT_EQ(f.Shape_Bit6.BrushColor(), colours::kYellow);
  EXPECT_EQ(f.Shape_Bit3.BrushColor(), colours::kGreen);
  EXPECT_EQ(f.Shape_Bit11.BrushColor(), colours::kGreen);  // almanac complete after 10 s
  EXPECT_EQ(f.Shape_PPS.BrushColor(), colours::kGreen);
  EXPECT_TRUE(Matches(f.Panel_PPSOffset.Caption(), "-?[0-9]+\\.[0-9]{2}"));
  EXPECT_TRUE(Matches(f.Panel_Latitude.Caption(), "48\\.13[0-9]{4}")) << f.Panel_Latitude.Caption();
  EXPECT_TRUE(Matches(f.Panel_Longitude.Caption(), "11\\.57[0-9]{4}"));
  EXPECT_TRUE(Matches(f.Panel_Altitude.Caption(), "5[0-9]{2}\\.[0-9]"));

  // Satellite rows, green where used in the fix.
  EXPECT_GE(SatelliteRowsShown(f), 8);
  int green = 0;
  for (size_t i = 0; i < f.Panel_SV.size(); ++i)
    green += f.Panel_SV[i].Color() == colours::kGreen;
  EXPECT_GE(green, 4);

  // The other latitude/longitude style from the next report on.
  LLAToggle(m.app);
  m.RunSeconds(2);
  EXPECT_TRUE(Matches(f.Panel_Latitude.Caption(), "48\u00B0 8' [0-9]+\\.[0-9]{3}"))
      << f.Panel_Latitude.Caption();

  // The survey completes: the position is held and the clock is overdetermined.
  m.RunSeconds(60);
  EXPECT_EQ(f.Panel_SelfSurvey.Caption(), "100%");
  EXPECT_EQ(f.Panel_Mode.Caption(), "Overdetermined Clock");
  EXPECT_EQ(f.Shape_Bit5.BrushColor(), colours::kGreen);
  EXPECT_EQ(f.Shape_Bit6.BrushColor(), colours::kGreen);
  EXPECT_EQ(m.dialogs.Boxes().size(), 1u);
}

TEST(MonitorOnEmulator, WithoutTimingPacketsTheTimeComesFromTheTimeReports) {
  MonitorOnEmulator m;
  m.dialogs.Answer(Answer::Yes);  // an NTP server is fed: no timing packets polled
  m.Start();
  m.RunSeconds(30);
  TForm_Main& f = m.f();
  EXPECT_FALSE(f.ControlPollingTimingPkts.Checked());
  EXPECT_TRUE(Matches(f.Panel_Time.Caption(), "12:00:4[0-9]")) << f.Panel_Time.Caption();
  EXPECT_EQ(f.Panel_Date.Caption(), " Jun 16, 2024");  // the GPS-date routine's leading blank
  EXPECT_EQ(f.Label_TimeType.Caption(), "GPS");
  EXPECT_EQ(f.Panel_Mode.Caption(), "Full Position (3D)");  // from the comprehensive time report
  EXPECT_EQ(f.Panel_Status.Caption(), "Doing Fixes");       // from the health report
}

TEST(MonitorOnEmulator, EachModelSelectsItsReceiverType) {
  const std::vector<std::pair<sim::Model, int>> models = {
      {sim::Model::T2K, kTypeT2K},         {sim::Model::Netrel, kTypeNetrel},
      {sim::Model::Harvane, kTypeHarvane}, {sim::Model::Tpv2, kTypeTpv2},
      {sim::Model::Varnel, kTypeVarnel},   {sim::Model::Id98, 0}};
  for (const auto& [model, type] : models) {
    sim::SimOptions options = QuickReceiver();
    options.model = model;
    MonitorOnEmulator m(options);
    m.settings.values["NTP"] = "0";  // asked before: no question
    m.Start();
    m.RunSeconds(4);
    EXPECT_EQ(CheckedReceiverType(m.app), type) << static_cast<int>(model);
    EXPECT_EQ(m.f().SetupPortAOutput.Visible(), type == kTypeVarnel);
    EXPECT_TRUE(m.dialogs.Boxes().empty());
  }
}

// Seconds of the day of an "HH:MM:SS" text.
int SecondsOfDay(const std::string& text) {
  int hours = 0, minutes = 0, seconds = 0;
  if (std::sscanf(text.c_str(), "%d:%d:%d", &hours, &minutes, &seconds) != 3) return -1;
  return (hours * 60 + minutes) * 60 + seconds;
}

TEST(MonitorOnEmulator, TheWindowsKeepUpdatingWhileTheNtpQuestionIsOpen) {
  MonitorOnEmulator m;
  TForm_Main& f = m.f();
  std::vector<std::string> timesWhileOpen;
  int rowsWhileOpen = 0;
  double gpsAtEnd = 0;
  // The production report of the start-up asks the question; it stays open ten seconds while the
  // emulator goes on sending.
  m.dialogs.whileOpen = [&](const testing::ScriptedDialogs::Shown& box) {
    ASSERT_EQ(box.caption, "NTP?");
    for (int second = 0; second < 10; ++second) {
      m.RunSeconds(1);
      timesWhileOpen.push_back(f.Panel_Time.Caption());
    }
    rowsWhileOpen = SatelliteRowsShown(f);
    gpsAtEnd = DefaultStartGps() + static_cast<double>(m.clock.NowMs()) / 1000.0;
  };
  m.dialogs.Answer(Answer::No);
  m.Start();
  m.RunSeconds(3);
  ASSERT_EQ(m.dialogs.Boxes().size(), 1u);
  ASSERT_EQ(timesWhileOpen.size(), 10u);

  // At the end the main window shows the emulator's current GPS time (the time report answers
  // once per poll round, so it may be a second or two behind) and the satellites it tracks.
  const int expected = static_cast<int>(std::fmod(gpsAtEnd, 86400.0));
  const int shown = SecondsOfDay(timesWhileOpen.back());
  EXPECT_GE(shown, expected - 2);
  EXPECT_LE(shown, expected);
  EXPECT_GE(rowsWhileOpen, 4);
  // It kept going all along: a new time nearly every second, never blanked.
  int changes = 0;
  for (size_t i = 1; i < timesWhileOpen.size(); ++i) {
    EXPECT_NE(timesWhileOpen[i], "") << "second " << i;
    changes += timesWhileOpen[i] != timesWhileOpen[i - 1];
  }
  EXPECT_GE(changes, 7);
  // Answered, the receiver type and the polling mode follow.
  EXPECT_EQ(CheckedReceiverType(m.app), kTypeT2K);
  EXPECT_TRUE(f.ControlPollingTimingPkts.Checked());
}

TEST(MonitorOnEmulator, DisplayIsClearedAboutSixSecondsAfterTheReceiverFallsSilent) {
  sim::SimOptions options = QuickReceiver();
  options.silentAfter = 30;
  MonitorOnEmulator m(options);
  m.settings.values["NTP"] = "0";
  m.Start();
  m.RunSeconds(30);
  ASSERT_FALSE(m.f().Panel_Time.Caption().empty());
  m.RunSeconds(4.5);
  EXPECT_FALSE(m.f().Panel_Time.Caption().empty());
  m.RunSeconds(3);
  EXPECT_TRUE(m.f().Panel_Time.Caption().empty());
  EXPECT_TRUE(m.f().Panel_Mode.Caption().empty());
  EXPECT_EQ(m.f().Shape_Bit5.BrushColor(), colours::kGrey);
  // The satellite rows age out on their own.
  m.RunSeconds(3);
  EXPECT_EQ(SatelliteRowsShown(m.f()), 0);
}

// The real thing: the emulator serving a pseudo-terminal from its own thread, the monitor on the
// real terminal adapter and the real clock.
TEST(MonitorOnEmulator, OverAPseudoTerminalInRealTime) {
  sim::SimOptions options = sim::DemoOptions();
  options.acquireSeconds = 0;
  sim::DemoReceiver receiver(options);
  const std::string path = receiver.Start();
  ASSERT_FALSE(path.empty());

  PosixSerialPort port;
  SteadyClock clock;
  testing::ScriptedDialogs dialogs;
  testing::MemorySettings settings;
  settings.values["NTP"] = "0";
  testing::FakeSystemTime systemTime;
  Monitor app(Platform{port, clock, dialogs, settings, systemTime});
  app.state.DevicePath = path;
  ASSERT_TRUE(app.MainFormCreate());
  EventLoop loop(clock, app.ui, app.Timers());
  const bool filled = loop.RunUntil(
      [&] { return !app.Form_Main.Panel_Time.Caption().empty() && CheckedReceiverType(app) != 0; },
      8000);
  EXPECT_TRUE(filled);
  EXPECT_EQ(app.Form_Main.Panel_Version.Caption(), "3.07");
  EXPECT_EQ(CheckedReceiverType(app), kTypeT2K);
  // The emulator answered the start-up port command with its settings text, which was read.
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(app.polling.BreakResponseText.data()), 3),
            "PR;");
  EXPECT_EQ(app.Form_Main.Panel_Serial.Caption(), path + " 9600, 8-Odd-1");
  app.MainFormClose();
  receiver.Stop();
}

// Processor time this thread has used, in seconds.
double ThreadCpuSeconds() {
  timespec t{};
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// Points `link` at `target`, replacing what it pointed at in one step, as udev does with the stable
// names of USB adapters.
void PointLink(const std::filesystem::path& link, const std::string& target) {
  const std::filesystem::path next = link.string() + ".new";
  std::filesystem::remove(next);
  std::filesystem::create_symlink(target, next);
  std::filesystem::rename(next, link);
}

// The emulator ends and starts again behind a stable name: the monitor says once that the port was
// lost, clears the display, waits without spinning, and takes the receiver back when it returns.
TEST(MonitorOnEmulator, AReceiverThatGoesAwayAndComesBackOverAPseudoTerminal) {
  sim::SimOptions options = sim::DemoOptions();
  options.acquireSeconds = 0;
  const std::filesystem::path link = testing::TestTempPath(".receiver");
  sim::DemoReceiver first(options);
  const std::string firstPath = first.Start();
  ASSERT_FALSE(firstPath.empty());
  PointLink(link, firstPath);

  PosixSerialPort port;
  SteadyClock clock;
  testing::ScriptedDialogs dialogs;
  dialogs.Answer(Answer::Ok);
  testing::MemorySettings settings;
  settings.values["NTP"] = "0";
  testing::FakeSystemTime systemTime;
  Monitor app(Platform{port, clock, dialogs, settings, systemTime});
  app.state.DevicePath = link.string();
  ASSERT_TRUE(app.MainFormCreate());
  EventLoop loop(clock, app.ui, app.Timers());
  TForm_Main& f = app.Form_Main;
  ASSERT_TRUE(loop.RunUntil([&] { return !f.Panel_Time.Caption().empty(); }, 8000));

  first.Stop();
  std::filesystem::remove(link);
  ASSERT_TRUE(loop.RunUntil([&] { return app.linkLoss.PortLost; }, 2000));
  EXPECT_EQ(f.Panel_Serial.Caption(), link.string() + " lost");
  EXPECT_EQ(f.Panel_Time.Caption(), "");
  EXPECT_EQ(f.Panel_Mode.Caption(), "");
  loop.RunFor(300);  // the box comes after the packet loop
  ASSERT_EQ(dialogs.Boxes().size(), 1u);
  EXPECT_EQ(dialogs.Boxes()[0].caption, "Serial Port Error");

  // Three seconds without the receiver: the loop waits on its timers, it does not spin.
  const double cpuBefore = ThreadCpuSeconds();
  loop.RunFor(3000);
  EXPECT_LT(ThreadCpuSeconds() - cpuBefore, 1.0);
  EXPECT_TRUE(app.linkLoss.PortLost);

  f.Panel_Version.SetCaption("");
  sim::DemoReceiver second(options);
  const std::string secondPath = second.Start();
  ASSERT_FALSE(secondPath.empty());
  PointLink(link, secondPath);
  const bool back = loop.RunUntil(
      [&] {
        return !app.linkLoss.PortLost && !f.Panel_Time.Caption().empty() &&
               f.Panel_Serial.Caption() == link.string() + " 9600, 8-Odd-1" &&
               !f.Panel_Version.Caption().empty();
      },
      8000);
  EXPECT_TRUE(back);
  EXPECT_EQ(dialogs.Boxes().size(), 1u);
  EXPECT_EQ(f.Panel_Version.Caption(), "3.07");  // asked again at the new start-up
  app.MainFormClose();
  second.Stop();
  std::filesystem::remove(link);
}

}  // namespace
}  // namespace zelkon
