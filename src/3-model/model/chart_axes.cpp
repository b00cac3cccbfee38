#include "model/chart_axes.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <ctime>
#include <limits>

namespace zelkon {
namespace {

constexpr int64_t kMinute = 60;
constexpr int64_t kHour = 3600;
constexpr int64_t kDay = 86400;
constexpr std::array<int64_t, 21> kTimeSteps = {
    1,         2,         5,          10,      15,       30,       kMinute,
    2 * 60,    5 * 60,    10 * 60,    15 * 60, 30 * 60,  kHour,    2 * kHour,
    3 * kHour, 6 * kHour, 12 * kHour, kDay,    2 * kDay, 5 * kDay, 10 * kDay,
};
constexpr int64_t kMostTimeTicks = 8;
// Dates make a label twice as wide.
constexpr int64_t kMostDateTicks = 6;
// Five labels fit beside the plot of a chart a third of the window high.
constexpr double kMostSteps = 4;
// Room left beside the values, as a share of their range.
constexpr double kMargin = 0.02;

// Multiples of `step` from `from` to `to`: the first and the last.
std::pair<int64_t, int64_t> MultiplesWithin(double from, double to, int64_t step) {
  const double s = static_cast<double>(step);
  return {static_cast<int64_t>(std::ceil(from / s)), static_cast<int64_t>(std::floor(to / s))};
}

std::string UtcText(int64_t seconds, const char* format) {
  const std::time_t time = static_cast<std::time_t>(seconds);
  std::tm utc{};
  gmtime_r(&time, &utc);
  char text[32];
  return std::string(text, std::strftime(text, sizeof text, format, &utc));
}

}  // namespace

std::vector<ChartTick> TimeTicks(double from, double to) {
  std::vector<ChartTick> ticks;
  if (!(from < to)) return ticks;
  const bool dates = to - from >= static_cast<double>(kDay);
  const int64_t most = dates ? kMostDateTicks : kMostTimeTicks;
  int64_t step = kTimeSteps.back();
  for (const int64_t candidate : kTimeSteps) {
    const auto [first, last] = MultiplesWithin(from, to, candidate);
    if (last - first + 1 <= most) {
      step = candidate;
      break;
    }
  }
  const char* format = step >= kDay     ? "%m-%d"
                       : dates          ? "%m-%d %H:%M"
                       : step < kMinute ? "%H:%M:%S"
                                        : "%H:%M";
  const auto [first, last] = MultiplesWithin(from, to, step);
  for (int64_t k = first; k <= last; ++k)
    ticks.push_back({static_cast<double>(k * step), UtcText(k * step, format)});
  return ticks;
}

ChartScale NiceScale(double low, double high, bool wholeNumbers) {
  ChartScale scale{0, 1, 0.5, 1};
  if (!(low <= high) || !std::isfinite(low) || !std::isfinite(high)) return scale;
  double bottom = 0;
  double top = 0;
  if (wholeNumbers) {
    // A count from 0, with room for one more above the greatest.
    top = std::max(high, 0.0) + 1;
  } else {
    // A flat line gets room around it; otherwise the extremes keep off the frame.
    const double range = high - low;
    double margin = 0.5;
    if (range > 0) {
      margin = range * kMargin;
    } else if (std::fabs(high) > 0) {
      margin = std::fabs(high) * kMargin;
    }
    bottom = low - margin;
    top = high + margin;
  }
  // The smallest 1-2-5 step that spans the values in at most kMostSteps steps.
  double decade = std::pow(10.0, std::floor(std::log10((top - bottom) / kMostSteps)));
  for (;; decade *= 10) {
    for (const double mantissa : {1.0, 2.0, 5.0}) {
      const double step = mantissa * decade;
      if (wholeNumbers && step < 1) continue;
      const double from = std::floor(bottom / step);
      const double to = std::ceil(top / step);
      if (to - from > kMostSteps) continue;
      scale.step = step;
      scale.from = from * step;
      scale.to = to * step;
      scale.decimals = std::max(0, -static_cast<int>(std::floor(std::log10(step) + 1e-9)));
      return scale;
    }
  }
}

void FitTimeAxes(ChartData& chart) {
  chart.xTicks = TimeTicks(chart.xFrom, chart.xTo);
  double low = std::numeric_limits<double>::infinity();
  double high = -low;
  for (const ChartSeries& s : chart.series) {
    if (s.rightAxis) continue;
    for (const ChartPoint& p : s.points) {
      if (p.x < chart.xFrom || p.x > chart.xTo) continue;
      low = std::min({low, p.y, p.low, p.high});
      high = std::max({high, p.y, p.low, p.high});
    }
  }
  chart.leftScale = NiceScale(low, high, chart.wholeNumbers);
}

std::vector<std::pair<size_t, size_t>> ContinuousRuns(const std::vector<ChartPoint>& points,
                                                      const std::vector<ChartInterval>& gaps) {
  std::vector<std::pair<size_t, size_t>> runs;
  if (points.empty()) return runs;
  size_t begin = 0;
  size_t gap = 0;
  for (size_t i = 1; i < points.size(); ++i) {
    while (gap < gaps.size() && gaps[gap].from < points[i - 1].x)
      ++gap;
    if (gap < gaps.size() && gaps[gap].to <= points[i].x) {
      runs.emplace_back(begin, i);
      begin = i;
    }
  }
  runs.emplace_back(begin, points.size());
  return runs;
}

}  // namespace zelkon
