// The axes of the time charts: ticks on round UTC times, 1-2-5 value scales, counts from 0 in
// whole steps, and the runs a line is drawn in between gaps.
#include "model/chart_axes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace zelkon {
namespace {

TEST(ChartAxes, TicksOnRoundTimesScalesOnRoundValuesAndLinesBrokenAtGaps) {
  const double end = 1781000000;  // 2026-06-09 10:13:20 UTC
  // Whole minutes and hours in UTC, dates from a day on, seconds on short ranges.
  const auto labels = [](double from, double to) {
    std::string text;
    for (const ChartTick& tick : TimeTicks(from, to))
      text += tick.label + " ";
    return text;
  };
  EXPECT_EQ(labels(end - 3600, end), "09:20 09:30 09:40 09:50 10:00 10:10 ");
  EXPECT_EQ(labels(end - 86400, end), "06-08 12:00 06-08 18:00 06-09 00:00 06-09 06:00 ");
  EXPECT_EQ(labels(end - 20, end), "10:13:00 10:13:05 10:13:10 10:13:15 10:13:20 ");
  EXPECT_EQ(labels(end, end), "");

  // Any range from ten seconds to two days: 3 to 8 ticks (4 to 8 on the spans of the window, at
  // most 6 with dates), each inside the range, one step apart, on a multiple of that step.
  std::mt19937_64 random(5);
  std::uniform_real_distribution<double> shift(0, 86400);
  const std::set<double> spans = {600, 1800, 3600, 7200, 21600, 43200, 86400, 172800};
  std::vector<double> widths(spans.begin(), spans.end());
  for (double width = 10; width < 172800; width *= 1.13)
    widths.push_back(width);
  for (const double width : widths) {
    for (int k = 0; k < 20; ++k) {
      const double from = end + std::floor(shift(random));
      const std::vector<ChartTick> ticks = TimeTicks(from, from + width);
      SCOPED_TRACE(std::to_string(width) + " s from " + std::to_string(from));
      ASSERT_GE(ticks.size(), spans.count(width) ? 4u : 3u);
      ASSERT_LE(ticks.size(), width >= 86400 ? 6u : 8u);
      const double step = ticks[1].value - ticks[0].value;
      std::set<std::string> unique;
      for (size_t i = 0; i < ticks.size(); ++i) {
        EXPECT_GE(ticks[i].value, from);
        EXPECT_LE(ticks[i].value, from + width);
        EXPECT_EQ(std::fmod(ticks[i].value, step), 0);
        EXPECT_EQ(ticks[i].value - ticks[0].value, static_cast<double>(i) * step);
        unique.insert(ticks[i].label);
      }
      EXPECT_EQ(unique.size(), ticks.size());
    }
  }

  // Value scales: ends on ticks of a 1-2-5 step around the values, at most four steps.
  const auto scale = [](double low, double high, bool whole) {
    const ChartScale s = NiceScale(low, high, whole);
    return std::vector<double>{s.from, s.to, s.step, static_cast<double>(s.decimals)};
  };
  EXPECT_EQ(scale(-2, 4, false), (std::vector<double>{-5, 5, 5, 0}));
  EXPECT_EQ(scale(-18.8, 12.5, false), (std::vector<double>{-20, 20, 10, 0}));
  EXPECT_EQ(scale(0.012, 0.031, false), (std::vector<double>{0.01, 0.04, 0.01, 2}));
  EXPECT_EQ(scale(0, 0, false), (std::vector<double>{-0.5, 0.5, 0.5, 1}));
  EXPECT_EQ(scale(1, -1, false), (std::vector<double>{0, 1, 0.5, 1}));  // no values
  // Satellites: whole numbers from 0, never below, above the greatest count.
  EXPECT_EQ(scale(3, 8, true), (std::vector<double>{0, 10, 5, 0}));
  EXPECT_EQ(scale(5, 5, true), (std::vector<double>{0, 6, 2, 0}));
  EXPECT_EQ(scale(0, 0, true), (std::vector<double>{0, 1, 1, 0}));

  // Runs of a line: broken where a gap lies between two neighbouring points, not elsewhere.
  const std::vector<ChartPoint> points = {{0}, {1}, {2}, {6}, {7}, {20}, {21}};
  using Runs = std::vector<std::pair<size_t, size_t>>;
  EXPECT_EQ(ContinuousRuns(points, {{3, 6}, {8, 20}}), (Runs{{0, 3}, {3, 5}, {5, 7}}));
  EXPECT_EQ(ContinuousRuns(points, {{30, 40}}), (Runs{{0, 7}}));
  EXPECT_TRUE(ContinuousRuns({}, {{3, 6}}).empty());
}

}  // namespace
}  // namespace zelkon
