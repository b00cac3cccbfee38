// The axes of a time chart at round values, and where its lines break: the arithmetic the window
// and a script see alike, without the charting library.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

#include "model/chart.h"

namespace zelkon {

// The ticks of a UTC time axis from `from` to `to` (seconds since 1970) on whole seconds, minutes,
// hours or days, one step apart: the shortest of 1, 2, 5, 10, 15, 30 s; 1, 2, 5, 10, 15, 30 min;
// 1, 2, 3, 6, 12 h; 1, 2, 5, 10 days that shows at most 8 ticks (6 when they carry dates), which
// leaves at least 4 on any range the charts show. Labelled "HH:mm:ss" at steps under a minute,
// "HH:mm" at longer ones, "MM-dd HH:mm" on a range of a day or more, "MM-dd" at steps of days.
std::vector<ChartTick> TimeTicks(double from, double to);

// A value axis around the values from `low` to `high`, the extremes kept off its ends: its ends
// and ticks on whole multiples of a 1-2-5 step (0.1, 0.2, 0.5, 1, 2, 5, 10, ...), at most 4 steps
// from end to end, labelled with the decimals the step needs. A count (`wholeNumbers`) runs from 0
// in whole steps to above its greatest value. No values (low above high): 0 to 1.
ChartScale NiceScale(double low, double high, bool wholeNumbers);

// Fills the x ticks and the left scale of a time chart from its range (xFrom to xTo) and the
// values its left-axis series have in that range (bands included).
void FitTimeAxes(ChartData& chart);

// The runs of a series' points its line joins, as [begin, end) indices: a run ends where a gap
// lies between two neighbouring points. Points and gaps in order of x.
std::vector<std::pair<size_t, size_t>> ContinuousRuns(const std::vector<ChartPoint>& points,
                                                      const std::vector<ChartInterval>& gaps);

}  // namespace zelkon
