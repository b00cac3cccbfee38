// A recording fed back to the monitor (zelkon --replay) on virtual time: the main-window lines of a
// replayed recording of the emulator are the live ones for the same receiver times, the replay
// keeps the recording's pace (times the speed), goes as fast as the poll loop reads with max, and
// ends with the state the recording ended in.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <map>
#include <random>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/headless.h"
#include "core/replay.h"
#include "core/script_console.h"
#include "e2e/console_rig.h"
#include "link/codec.h"
#include "platform/replay_serial_port.h"
#include "sample_stream.h"
#include "support/temp_path.h"
#include "text/time_format.h"

namespace zelkon {
namespace {

using testing::ConsoleOnEmulator;
using testing::FakeSystemTime;
using testing::MemorySettings;
using testing::VirtualClock;

// The panels and LEDs of one main-window line, by control name.
using Fields = std::map<std::string, std::string>;

Fields FieldsOf(const std::string& line) {
  static const std::regex field(R"re("((?:Panel|Shape)_\w+)":"([^"]*)")re");
  Fields fields;
  for (std::sregex_iterator it(line.begin(), line.end(), field), end; it != end; ++it)
    fields[(*it)[1]] = (*it)[2];
  return fields;
}

std::vector<Fields> LinesOf(const std::string& text) {
  std::vector<Fields> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    lines.push_back(FieldsOf(line));
  return lines;
}

// The receiver time a line shows, or "" before the receiver has one.
std::string ReceiverTime(const Fields& line) {
  const auto time = line.find("Panel_Time");
  const auto tow = line.find("Panel_TOW");
  if (time == line.end() || tow == line.end() || time->second.empty()) return "";
  return time->second + " " + tow->second;
}

// Without what belongs to the link: the port's name and the Tx and Rx LEDs.
Fields ReceiverPart(Fields line) {
  for (const char* link : {"Panel_Serial", "Shape_TxLED", "Shape_RxLED"})
    line.erase(link);
  return line;
}

Fields WithoutSatelliteRows(Fields line) {
  std::erase_if(line, [](const auto& field) {
    return field.first.rfind("Panel_SV", 0) == 0 || field.first.rfind("Panel_AMU", 0) == 0;
  });
  return line;
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

// The monitor on a recording, on virtual time, as `zelkon --replay PATH --headless` runs it.
struct MonitorOnRecording {
  MonitorOnRecording(const std::string& path, double speed, bool engineeringMode = false)
      : port(clock, speed, notices) {
    settings.values["NTP"] = "0";
    app.state.DevicePath = path;
    app.state.EngineeringMode = engineeringMode;
    SetUpReplay(app, port, notices);
    opened = app.MainFormCreate();
    app.Form_Main.Show();
  }

  // Runs headless to the end of the recording (at most `maxMs`); the lines printed.
  std::string RunToEnd(int64_t maxMs = 3'600'000) {
    std::atomic<bool> stop{false};
    std::ostringstream out;
    const int64_t limit = clock.NowMs() + maxMs;
    RunHeadless(app, loop, out, notices, stop,
                [this, limit] { return port.Finished() || clock.NowMs() >= limit; });
    return out.str();
  }

  VirtualClock clock;
  std::ostringstream notices;
  ReplaySerialPort port;
  std::ostringstream boxes;
  HeadlessDialogs dialogs{boxes};
  MemorySettings settings;
  FakeSystemTime systemTime;
  Monitor app{Platform{port, clock, dialogs, settings, systemTime}};
  EventLoop loop{clock, app.ui, app.Timers()};
  bool opened = false;
};

size_t Occurrences(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
    ++count;
  return count;
}

class Replay : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = testing::TestTempPath(".rxb");
    std::remove(path_.c_str());
  }
  void TearDown() override { std::remove(path_.c_str()); }
  std::string path_;
};

TEST_F(Replay, ARecordingOfTheEmulatorShowsTheLiveMainWindowLinesForTheSameReceiverTimes) {
  // Live: a minute of the emulator, recorded from the first poll on, printed as a headless run.
  ConsoleOnEmulator live;
  ASSERT_EQ(live.Run("open TForm_LogRxbin\nanswer file " + path_ +
                     "\nclick TForm_LogRxbin.Button_Open\nclick TForm_LogRxbin.Button_Start\n"
                     "close TForm_LogRxbin\n"),
            kScriptPassed)
      << live.err.str() << live.boxes.str();
  std::atomic<bool> stop{false};
  std::ostringstream liveOut;
  const int64_t liveEnd = live.clock.NowMs() + 60'000;
  RunHeadless(live.app, live.loop, liveOut, live.err, stop,
              [&live, liveEnd] { return live.clock.NowMs() >= liveEnd; });
  ASSERT_EQ(live.Run("open TForm_LogRxbin\nclick TForm_LogRxbin.Button_Stop\n"), kScriptPassed);

  MonitorOnRecording replay(path_, 1.0);
  ASSERT_TRUE(replay.opened);
  const int64_t replayStart = replay.clock.NowMs();
  const std::string replayOut = replay.RunToEnd();
  ASSERT_TRUE(replay.port.Finished());
  // A minute of recording takes a minute (and the start-up set-up) to replay.
  EXPECT_GE(replay.clock.NowMs() - replayStart, 58'000);
  EXPECT_LE(replay.clock.NowMs() - replayStart, 64'000);

  // Lines by the receiver time they show; a time shown on more than one line (the zero time of a
  // receiver that has none yet) does not identify a moment and is left out.
  const auto byTime = [](const std::string& out) {
    std::map<std::string, std::vector<Fields>> lines;
    for (Fields& line : LinesOf(out)) {
      const std::string time = ReceiverTime(line);
      if (!time.empty()) lines[time].push_back(std::move(line));
    }
    return lines;
  };
  const auto liveLines = byTime(liveOut.str());
  const auto replayedLines = byTime(replayOut);
  int compared = 0;
  for (const auto& [time, lines] : liveLines) {
    const auto match = replayedLines.find(time);
    if (lines.size() != 1 || match == replayedLines.end() || match->second.size() != 1) continue;
    // The satellite rows come from answers to the monitor's polls, which arrive all through a
    // second; a recording does not say where in its second a packet came, so a line can show the
    // rows up to a second apart. Everything else comes from the once-a-second reports.
    EXPECT_EQ(WithoutSatelliteRows(ReceiverPart(lines.front())),
              WithoutSatelliteRows(ReceiverPart(match->second.front())))
        << time;
    ++compared;
  }
  // About fifty lines a minute; the first few seconds have no receiver time yet.
  EXPECT_GE(compared, 40);
  // The same packets in the same order leave the same state, satellite rows and all: the replay's
  // last line is the live one when the recording stopped.
  const std::vector<Fields> liveAll = LinesOf(liveOut.str());
  const std::vector<Fields> replayAll = LinesOf(replayOut);
  ASSERT_FALSE(liveAll.empty());
  ASSERT_FALSE(replayAll.empty());
  EXPECT_EQ(ReceiverPart(replayAll.back()), ReceiverPart(liveAll.back()));
  EXPECT_NE(liveAll.back().at("Panel_SV1"), "0");
  // The window kept the last state of the recording: the replay ended on a time the live run had.
  EXPECT_FALSE(replay.app.Form_Main.Panel_Time.Caption().empty());
  EXPECT_FALSE(replay.app.Form_Main.Timer_RXBIN.Enabled());
}

// A recording of the sample traffic: `seconds` rounds, each led by its primary timing report.
std::vector<uint8_t> SampleRecording(int seconds) { return SampleReportStream(seconds); }

// The time the main window is left with after the last round, "hh:mm:ss": a replay shows every
// time report, and the round's GPS time (0x41) comes after its primary timing report (0x8F-AB).
std::string LastRoundTime(int seconds) {
  const std::vector<SamplePacket> packets = SampleReportPackets(seconds);
  for (auto it = packets.rbegin(); it != packets.rend(); ++it) {
    if (it->id == 0x41) return WeekTimeText(ReadSingle(it->payload.data()), true);
  }
  return "";
}

TEST_F(Replay, ARecordingKeepsItsPaceTimesTheSpeedAndEndsWithItsLastState) {
  constexpr int kSeconds = 20;
  WriteFile(path_, SampleRecording(kSeconds));
  for (const double speed : {1.0, 4.0}) {
    SCOPED_TRACE(speed);
    MonitorOnRecording replay(path_, speed);
    ASSERT_TRUE(replay.opened);
    // Without a production report in the recording nobody chose the receiver type, and "Poll
    // Timing P&ackets" stays unchecked: a replay shows the time reports of both kinds all the same.
    ASSERT_TRUE(WaitForPortSetup(replay.app, replay.loop, 5000));
    // The first poll, one tick later, starts the recording: its first second at once, the other 19
    // when due, each read by the next poll tick.
    const int64_t firstPoll = replay.clock.NowMs() + 200;
    const std::string out = replay.RunToEnd();
    ASSERT_TRUE(replay.port.Finished());
    const int64_t took = replay.clock.NowMs() - firstPoll;
    const double due = (kSeconds - 1) * 1000 / speed;
    EXPECT_GE(took, due);
    EXPECT_LE(took, due + 200);

    // Lines every poll round as they came, and the final state last.
    const std::vector<Fields> lines = LinesOf(out);
    ASSERT_GE(lines.size(), static_cast<size_t>(due / 1200));
    EXPECT_EQ(lines.back().at("Panel_Time"), LastRoundTime(kSeconds));
    EXPECT_EQ(replay.app.Form_Main.Panel_Time.Caption(), LastRoundTime(kSeconds));
    // Commands went nowhere, said once; the end said once.
    EXPECT_EQ(Occurrences(replay.notices.str(), "commands to the receiver go nowhere"), 1u)
        << replay.notices.str();
    EXPECT_EQ(Occurrences(replay.notices.str(), "the recording has ended"), 1u);
    // The windows keep that state: no time-out blanks the display afterwards.
    replay.loop.RunFor(10'000);
    EXPECT_EQ(replay.app.Form_Main.Panel_Time.Caption(), LastRoundTime(kSeconds));
  }
}

TEST_F(Replay, TheScriptConsoleDrivesTheWindowsOfAReplayAndNothingInThemSends) {
  constexpr int kSeconds = 20;
  // The recording begins with a production report (a Tempavo Opal/2000), as one started with the
  // monitor does.
  std::vector<uint8_t> production(19, 0);
  production[0] = 0x42;  // premium options 0, machine 0
  std::vector<uint8_t> recording = FramePackets({{0x8F, production}});
  const std::vector<uint8_t> rounds = SampleRecording(kSeconds);
  recording.insert(recording.end(), rounds.begin(), rounds.end());
  WriteFile(path_, recording);
  MonitorOnRecording replay(path_, 1.0, true);
  ASSERT_TRUE(replay.opened);
  // Nobody has answered the NTP question on this machine: a replay asks nothing, stores nothing.
  replay.settings.values.erase("NTP");
  // The Tx LED stays dark through every tick.
  int txLit = 0;
  Timer& poll = replay.app.Form_Main.Timer_RXBIN;
  poll.OnTimer = [&, tick = poll.OnTimer] {
    tick();
    if (replay.app.Form_Main.Shape_TxLED.BrushColor() != colours::kGrey) ++txLit;
  };
  const std::string name = path_.substr(path_.rfind('/') + 1);
  const std::string locked = "Not available while replaying a recording";
  std::ostringstream out;
  std::ostringstream err;
  EXPECT_EQ(RunScriptText(replay.app, replay.loop, replay.dialogs, "replay.zs",
                          "wait 10\n"
                          "expect TForm_Main.Panel_Serial.text Replay: " +
                              name + "\n" +
                              "expect TForm_Main.RecTypeT2K.checked true\n"
                              "expect TForm_Main.ControlPollingTimingPkts.checked false\n"
                              "expect TForm_Main.ControlWarm.enabled false\n"
                              "expect TForm_Main.ControlWarm.hint " +
                              locked + "\n" +
                              "expect TForm_Main.ControlRecordRxbin.enabled true\n"
                              "open TForm_TimingOut\n"
                              "expect TForm_TimingOut.Button_SetOutput.enabled false\n"
                              "expect TForm_TimingOut.Button_SetOutput.hint " +
                              locked + "\n" +
                              "expect TForm_TimingOut.Button_Close.enabled true\n"
                              "wait 15\n"
                              "expect TForm_Main.Panel_Time.text " +
                              LastRoundTime(kSeconds) + "\ndump TForm_Main\n",
                          out, err),
            kScriptPassed)
      << err.str() << replay.boxes.str();
  EXPECT_TRUE(replay.port.Finished());
  EXPECT_NE(out.str().find("\"form\":\"TForm_Main\""), std::string::npos);
  // Time, position, mode and the timing outputs from the recording, the check mark unchecked.
  const TForm_Main& main = replay.app.Form_Main;
  for (const Panel* panel : {&main.Panel_Date, &main.Panel_Latitude, &main.Panel_Mode,
                             &main.Panel_Status, &main.Panel_PPSOffset, &main.Panel_SelfSurvey})
    EXPECT_FALSE(panel->Caption().empty()) << panel->Name();
  EXPECT_EQ(replay.settings.values.count("NTP"), 0u);
  EXPECT_EQ(replay.boxes.str().find("NTP?"), std::string::npos) << replay.boxes.str();
  EXPECT_EQ(txLit, 0);
  // The poll loop's queries reached the port, which swallowed them and said so once.
  EXPECT_EQ(Occurrences(replay.notices.str(), "commands to the receiver go nowhere"), 1u);
  // A locked command, and a window only a locked item opens, are out of the operator's reach.
  for (const char* line : {"click TForm_Main.ControlWarm", "open TForm_InitialPos"}) {
    err.str("");
    EXPECT_EQ(RunScriptText(replay.app, replay.loop, replay.dialogs, "locked.zs", line, out, err),
              kScriptMistake)
        << line;
    EXPECT_NE(err.str().find(" is disabled"), std::string::npos) << err.str();
  }

  // Every control still enabled in every window (the engineering ones too) sends nothing when
  // used, window openers apart: a window asks for what it shows as it opens, and the diagnostics
  // window asks for the production report again as it closes.
  std::set<const Control*> openers = {&replay.app.Form_Diagnostics.Button_Close};
#define ZELKON_OPENER(Class, member, opener, wire) \
  if ((opener) != nullptr) openers.insert(&(replay.app.Form_Main.*(opener)));
  ZELKON_WINDOWS(ZELKON_OPENER)
#undef ZELKON_OPENER
  for (Form* form : replay.app.Forms())
    OpenWindow(replay.app, *form);
  int used = 0;
  for (Form* form : replay.app.Forms()) {
    for (Control* control : form->Controls()) {
      const bool clickable =
          control->Kind() == ControlKind::Button || control->Kind() == ControlKind::MenuItem;
      if (!clickable || openers.count(control) != 0) continue;
      const auto& usable = static_cast<const UsableControl&>(*control);
      if (!usable.Enabled()) {
        EXPECT_TRUE(!usable.Locked() || usable.Hint() == locked) << control->Name();
        continue;
      }
      const uint64_t before = replay.port.SwallowedWrites();
      control->Kind() == ControlKind::Button ? static_cast<Button*>(control)->Click()
                                             : static_cast<MenuItem*>(control)->Click();
      replay.app.ui.Drain();
      EXPECT_EQ(replay.port.SwallowedWrites(), before)
          << form->ClassName() << "." << control->Name();
      ++used;
    }
  }
  EXPECT_GT(used, 20);
}

TEST_F(Replay, ARecordingReplayedWhileRecordingIsRecordedAgainByteForByte) {
  const std::vector<uint8_t> original = SampleRecording(300);
  WriteFile(path_, original);
  const std::string again = testing::TestTempPath(".again.rxb");
  MonitorOnRecording replay(path_, ReplaySerialPort::kAsFastAsPossible);
  ASSERT_TRUE(replay.opened);
  std::ostringstream out;
  std::ostringstream err;
  ASSERT_EQ(RunScriptText(replay.app, replay.loop, replay.dialogs, "again.zs",
                          "open TForm_LogRxbin\nanswer file " + again +
                              "\nclick TForm_LogRxbin.Button_Open\n"
                              "click TForm_LogRxbin.Button_Start\nwait 10\n"
                              "click TForm_LogRxbin.Button_Stop\n",
                          out, err),
            kScriptPassed)
      << err.str();
  EXPECT_TRUE(replay.port.Finished());
  const std::vector<uint8_t> recorded = testing::FileBytes(again);
  std::remove(again.c_str());
  EXPECT_EQ(recorded.size(), original.size());
  EXPECT_TRUE(recorded == original);
}

TEST_F(Replay, AsFastAsItGoesTheWholeRecordingPassesInAFewPollTicks) {
  // Ten minutes of traffic, about 370 kB: 8 KiB a poll tick.
  constexpr int kSeconds = 600;
  const std::vector<uint8_t> recording = SampleRecording(kSeconds);
  WriteFile(path_, recording);
  MonitorOnRecording replay(path_, ReplaySerialPort::kAsFastAsPossible);
  ASSERT_TRUE(replay.opened);
  ASSERT_TRUE(WaitForPortSetup(replay.app, replay.loop, 5000));
  // Every poll tick reads a full read buffer until the recording runs out.
  size_t ticks = 0;
  Timer& poll = replay.app.Form_Main.Timer_RXBIN;
  poll.OnTimer = [&ticks, tick = poll.OnTimer] {
    ++ticks;
    tick();
  };
  const std::string out = replay.RunToEnd();
  ASSERT_TRUE(replay.port.Finished());
  EXPECT_EQ(ticks, (recording.size() + kReadBufferSize - 1) / kReadBufferSize);
  EXPECT_EQ(replay.app.state.ReceivedByteCount, recording.size());
  const std::vector<Fields> lines = LinesOf(out);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back().at("Panel_Time"), LastRoundTime(kSeconds));
}

TEST_F(Replay, ARecordingCutOffInAPacketEndsWithTheLastWholeOne) {
  constexpr int kSeconds = 5;
  std::vector<uint8_t> recording = SampleRecording(kSeconds);
  // The next round's primary timing report, cut off before its end.
  const std::vector<uint8_t> more = SampleRecording(kSeconds + 1);
  recording.insert(recording.end(), more.begin() + static_cast<std::ptrdiff_t>(recording.size()),
                   more.begin() + static_cast<std::ptrdiff_t>(recording.size()) + 10);
  WriteFile(path_, recording);
  MonitorOnRecording replay(path_, 2.0);
  ASSERT_TRUE(replay.opened);
  replay.RunToEnd();
  ASSERT_TRUE(replay.port.Finished());
  EXPECT_EQ(replay.app.state.ReceivedByteCount, recording.size());
  EXPECT_EQ(replay.app.Form_Main.Panel_Time.Caption(), LastRoundTime(kSeconds));
}

TEST_F(Replay, AStretchWithoutAWholePacketPassesAsNoDataAndThePacedReplayGoesOn) {
  // Five rounds, 384 KiB in which no packet ends (zeros, NMEA sentences, random bytes without the
  // frame's escape byte: more than the replay reads ahead), then five more rounds.
  constexpr int kSeconds = 10;
  const std::vector<uint8_t> rounds = SampleRecording(kSeconds);
  const auto half = static_cast<std::ptrdiff_t>(SampleRecording(kSeconds / 2).size());
  std::vector<uint8_t> junk(128 * 1024, 0);
  const std::string nmea = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n";
  while (junk.size() < 256 * 1024)
    junk.insert(junk.end(), nmea.begin(), nmea.end());
  std::mt19937 random(7);
  while (junk.size() < 384 * 1024) {
    const auto byte = static_cast<uint8_t>(random());
    junk.push_back(byte == 0x10 ? 0x11 : byte);
  }
  std::vector<uint8_t> recording(rounds.begin(), rounds.begin() + half);
  recording.insert(recording.end(), junk.begin(), junk.end());
  recording.insert(recording.end(), rounds.begin() + half, rounds.end());
  WriteFile(path_, recording);

  MonitorOnRecording replay(path_, 1.0);
  ASSERT_TRUE(replay.opened);
  replay.RunToEnd(120'000);
  ASSERT_TRUE(replay.port.Finished());
  EXPECT_EQ(replay.app.state.ReceivedByteCount, recording.size());
  EXPECT_EQ(replay.app.Form_Main.Panel_Time.Caption(), LastRoundTime(kSeconds));
  EXPECT_EQ(Occurrences(replay.notices.str(), "the recording has ended"), 1u);
}

TEST_F(Replay, AMissingRecordingCannotBeOpened) {
  MonitorOnRecording replay(::testing::TempDir() + "no-such-recording.rxb", 1.0);
  EXPECT_FALSE(replay.opened);
  EXPECT_NE(replay.boxes.str().find("Could not initialize " + ::testing::TempDir() +
                                    "no-such-recording.rxb."),
            std::string::npos)
      << replay.boxes.str();
}

}  // namespace
}  // namespace zelkon
