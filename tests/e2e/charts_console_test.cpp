// The charts window and the sky view through the script console against the receiver emulator:
// the charts fill from the receiver's own reports at its own UTC, the span chooses the resolution,
// and the CSV export holds the values the receiver sent, second by second.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/console_rig.h"
#include "support/temp_path.h"

namespace zelkon {
namespace {

using testing::ConsoleOnEmulator;

// The number of points of the series `name` in a dump line ("NAME: N points, last Y"); -1 when
// the dump has no such series.
int PointsOf(const std::string& dump, const std::string& name) {
  const size_t at = dump.find("\"" + name + ": ");
  if (at == std::string::npos) return -1;
  return std::atoi(dump.c_str() + at + name.size() + 3);
}

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::string part;
  std::istringstream in(text);
  while (std::getline(in, part, separator))
    parts.push_back(part);
  if (!text.empty() && text.back() == separator) parts.emplace_back();
  return parts;
}

TEST(ChartsConsole, TheChartsFollowTheReceiverAndTheCsvHoldsItsValues) {
  ConsoleOnEmulator rig;
  const std::string path = testing::TestTempPath(".csv");
  std::remove(path.c_str());

  // The receiver's PPS offsets, second by second, as it computes them, on charts of ten minutes.
  ASSERT_EQ(rig.Run("open TForm_Charts\n"
                    "set TForm_Charts.ComboBox_Span \"10 minutes\"\n"),
            kScriptPassed)
      << rig.err.str();
  std::set<float> sent;
  const int64_t openedMs = rig.clock.NowMs();
  for (int tenth = 0; tenth < 400; ++tenth) {
    ASSERT_EQ(rig.Run("wait 0.1\n"), kScriptPassed);
    sent.insert(rig.receiver().PpsOffsetNs());
  }
  ASSERT_EQ(rig.Run("dump TForm_Charts\n"
                    "answer file " +
                    path +
                    "\n"
                    "click TForm_Charts.Button_SaveCsv\n"),
            kScriptPassed)
      << rig.err.str() << rig.boxes.str();
  const std::string dump = rig.out.str();
  // A point a second for each series; one-second buckets have no range band.
  const int seconds = static_cast<int>((rig.clock.NowMs() - openedMs) / 1000);
  ASSERT_GE(seconds, 40);
  EXPECT_GE(PointsOf(dump, "PPS offset (ns)"), seconds - 3);
  EXPECT_LE(PointsOf(dump, "PPS offset (ns)"), seconds + 1);
  EXPECT_GE(PointsOf(dump, "Oscillator offset (ppb)"), seconds - 3);
  EXPECT_GE(PointsOf(dump, "PPS quantization error (ns)"), seconds - 3);
  EXPECT_GE(PointsOf(dump, "Tracked"), seconds - 3);
  EXPECT_EQ(PointsOf(dump, "_range"), -1);
  // The stability plot has its first averaging times.
  EXPECT_GE(PointsOf(dump, "ADEV"), 3);
  EXPECT_NE(dump.find("Stability of "), std::string::npos);

  const std::vector<uint8_t> bytes = testing::FileBytes(path);
  const std::string csv(bytes.begin(), bytes.end());
  std::remove(path.c_str());
  const std::vector<std::string> lines = Split(csv, '\n');
  ASSERT_GE(lines.size(), 37u);
  EXPECT_EQ(lines[0],
            "time_utc,bucket_s,pps_offset_ns_min,pps_offset_ns_mean,pps_offset_ns_max,"
            "oscillator_offset_ppb_min,oscillator_offset_ppb_mean,oscillator_offset_ppb_max,"
            "quantization_error_ns_min,quantization_error_ns_mean,quantization_error_ns_max,"
            "satellites_tracked_min,satellites_tracked_mean,satellites_tracked_max,"
            "satellites_used_min,satellites_used_mean,satellites_used_max");
  EXPECT_EQ(lines.back(), "");
  // The emulator starts at 2024-06-16 12:00:00 UTC: the rows are its seconds, one a second.
  const std::regex row(R"(2024-06-16T12:0([0-9]):([0-5][0-9])Z,1(,[^,]*){15})");
  int previous = -1;
  int matched = 0;
  for (size_t i = 1; i + 1 < lines.size(); ++i) {
    SCOPED_TRACE(lines[i]);
    std::smatch m;
    ASSERT_TRUE(std::regex_match(lines[i], m, row));
    const int second = std::stoi(m[1]) * 60 + std::stoi(m[2]);
    if (previous >= 0) {
      EXPECT_EQ(second, previous + 1);
    }
    previous = second;
    const std::vector<std::string> cells = Split(lines[i], ',');
    // Each PPS offset is one the receiver computed, read back at full precision.
    const float pps = std::stof(cells[3]);
    EXPECT_EQ(cells[2], cells[3]);
    EXPECT_EQ(cells[3], cells[4]);
    if (sent.count(pps) != 0) ++matched;
    const int tracked = std::stoi(cells[12]);
    EXPECT_GE(tracked, 0);
    EXPECT_LE(tracked, 12);
  }
  // The first seconds came before the loop above looked; every later one is the receiver's.
  EXPECT_GE(matched, static_cast<int>(lines.size()) - 2 - 3);
}

TEST(ChartsConsole, ALongSpanDrawsWholeBucketsOfFiveMinutesWithTheirRange) {
  ConsoleOnEmulator rig;
  ASSERT_EQ(rig.Run("open TForm_Charts\n"
                    "set TForm_Charts.ComboBox_Span \"48 hours\"\n"
                    "wait 1800\n"
                    "dump TForm_Charts\n"
                    "set TForm_Charts.ComboBox_Span \"10 minutes\"\n"
                    "dump TForm_Charts\n"),
            kScriptPassed)
      << rig.err.str();
  const std::vector<std::string> dumps = Split(rig.out.str(), '\n');
  ASSERT_GE(dumps.size(), 2u);
  // Two days across about 600 points: minutes joined five by five, the newest once complete.
  const int buckets = PointsOf(dumps[0], "PPS offset (ns)");
  EXPECT_GE(buckets, 5);
  EXPECT_LE(buckets, 6);
  EXPECT_EQ(PointsOf(dumps[0], "_range"), buckets);
  EXPECT_GE(PointsOf(dumps[1], "PPS offset (ns)"), 590);
  EXPECT_EQ(PointsOf(dumps[1], "_range"), -1);
}

// The almanac download keeps the poll loop away from the timing reports for about ten seconds:
// every time chart shades those seconds and breaks its line there, and follows on after them, on
// ticks of whole minutes; the oscillator has its stability plot beside the PPS offset's.
TEST(ChartsConsole, AnAlmanacDownloadLeavesTheSameGapOnEveryTimeChart) {
  ConsoleOnEmulator rig;
  const std::string path = testing::TestTempPath(".dat");
  ASSERT_EQ(rig.Run("open TForm_Charts\nset TForm_Charts.ComboBox_Span \"10 minutes\"\nwait 60\n"
                    "answer file " +
                    path +
                    "\nclick TForm_Main.ControlDownloadAlmanac\nwait 40\ndump TForm_Charts\n"
                    "click TForm_Charts.Button_Live\n"
                    "expect TForm_Charts.Chart_Satellites.following true\n"),
            kScriptPassed)
      << rig.err.str() << rig.boxes.str();
  std::remove(path.c_str());
  const std::string dump = rig.out.str();
  std::smatch gap;
  ASSERT_TRUE(std::regex_search(dump, gap, std::regex(R"re("gaps":\["(\d+) to (\d+)"\])re")));
  EXPECT_GE(std::stol(gap[2]) - std::stol(gap[1]), 5);
  EXPECT_LE(std::stol(gap[2]) - std::stol(gap[1]), 20);
  EXPECT_EQ(testing::CountOf(dump, gap[0]), 4);  // the same on the four time charts
  // Five ticks two minutes apart on each time chart.
  const std::regex ticks(R"re("ticks":\["(11:5|12:0)[02468]"(,"(11:5|12:0)[02468]"){4}\])re");
  EXPECT_EQ(std::distance(std::sregex_iterator(dump.begin(), dump.end(), ticks), {}), 4);
  EXPECT_GE(PointsOf(dump, "PPS offset (ns)"), 80);
  const std::string oscillator = dump.substr(dump.find("\"Chart_OscStability\""));
  EXPECT_GE(PointsOf(oscillator, "ADEV"), 4);
  EXPECT_GE(PointsOf(oscillator, "TDEV"), 4);
}

TEST(ChartsConsole, TheSkyViewShowsTheTrackedSatellitesAndEveryChannel) {
  ConsoleOnEmulator rig;
  ASSERT_EQ(rig.Run("open TForm_Sky\n"
                    "wait 200\n"
                    "dump TForm_Sky\n"
                    "close TForm_Sky\n"),
            kScriptPassed)
      << rig.err.str();
  const std::string dump = rig.out.str();
  const int used = PointsOf(dump, "Used");
  const int unused = PointsOf(dump, "Not used");
  EXPECT_GE(used, 4);  // a fix needs four
  EXPECT_GE(unused, 0);
  EXPECT_LE(used + unused, 12);
  EXPECT_EQ(PointsOf(dump, "Signal level (AMU)"), 12);
  // Each tracked satellite has a track of at least its newest point, one a minute after that.
  EXPECT_NE(dump.find("\"_track "), std::string::npos);
}

}  // namespace
}  // namespace zelkon
