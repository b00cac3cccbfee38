// The charts window and the sky view: what they draw, built from the telemetry of the decoded
// reports, and the CSV export of the time series.
#pragma once

#include <cstdint>
#include <string>

#include "analysis/telemetry.h"
#include "model/chart.h"

namespace zelkon {

class Application;
class TForm_Charts;
class TForm_Sky;

// The spans of the charts window's list, in seconds.
int64_t ChartSpanSeconds(int itemIndex);

// One time series over the last `spanSeconds`: its mean per bucket as a line, and where a bucket
// holds more than one sample the band from its least to its greatest value.
ChartSeries MeanSeries(const BucketSeries& series, int64_t spanSeconds, const std::string& name,
                       Colour colour);
ChartSeries RangeSeries(const BucketSeries& series, int64_t spanSeconds, Colour colour);

// The log-log plot of the Allan, modified Allan and time deviations of the live PPS offsets, each
// with error bars of one standard error, dev / sqrt(terms).
ChartData StabilityChart(const std::vector<StabilityPoint>& points);

// The polar plot of the sky: every acquired satellite of a channel reported in the last
// Telemetry::kTrackingFreshSeconds at its azimuth and elevation, used ones as circles, others as
// squares, coloured by signal level; and the track of each satellite over the last hour.
ChartData SkyChart(const Telemetry& telemetry);
// The signal level of each channel, as bars; each category reads "channel/PRN" ("12/-" idle).
ChartData SignalChart(const Telemetry& telemetry);
// The colour of a signal level (AMU): red below 4, orange below 8, olive below 12, green above.
Colour SignalColour(double amu);

// "2026-12-10T01:23:45Z"
std::string IsoUtc(int64_t unixSeconds);

// Every time series of the last `spanSeconds` at the resolution the charts show it: one row a
// bucket, time as ISO 8601 UTC (the bucket's start), the bucket width, then the least, mean and
// greatest value of each series.
std::string ChartsCsv(const Telemetry& telemetry, int64_t spanSeconds);

void WireChartsWindow(Application& app, TForm_Charts& form);
void WireSkyWindow(Application& app, TForm_Sky& form);

}  // namespace zelkon
