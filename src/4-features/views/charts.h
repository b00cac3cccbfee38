// The charts window and the sky view: what they draw, built from the telemetry of the decoded
// reports, and the CSV export of the time series.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "analysis/telemetry.h"
#include "model/chart.h"

namespace zelkon {

class Application;
class TForm_Charts;
class TForm_Sky;

// The spans of the charts window's list, in seconds.
int64_t ChartSpanSeconds(int itemIndex);

// The range of time the time charts show: while following, the span up to the newest sample, its
// end moved on in steps of a 120th of the span (so the axis keeps its ticks between steps);
// otherwise the operator's range.
ChartInterval ShownTimeRange(const ChartZoom& zoom, int64_t newestSecond, int64_t spanSeconds);
// An operator's range kept between the narrowest and the widest view the charts have data for.
ChartZoom ClampedZoom(const ChartZoom& zoom);

// The buckets of one time series a chart of `range` draws, `width` seconds each (set here): those
// of the finest resolution kept that reaches back to the range's start, joined into buckets of
// whole multiples of their width so that about 600 span the range, the newest left out until its
// last second has come.
std::vector<Bucket> ChartBuckets(const BucketSeries& series, ChartInterval range, int64_t& width);
// The mean of each bucket as a line; the band from each bucket's least to its greatest value.
ChartSeries MeanSeries(const std::vector<Bucket>& buckets, int64_t width, const std::string& name,
                       Colour colour);
ChartSeries RangeSeries(const std::vector<Bucket>& buckets, int64_t width, Colour colour);
// Where more than two bucket widths pass from one bucket to the next: from the end of the one to
// the start of the other.
std::vector<ChartInterval> GapsBetween(const std::vector<Bucket>& buckets, int64_t width);

// The log-log plot of the Allan, modified Allan and time deviations, each with error bars of one
// standard error, dev / sqrt(terms); `of` names the series ("PPS offset").
ChartData StabilityChart(const std::vector<StabilityPoint>& points, const std::string& of);

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

// Every time series of the last `spanSeconds` at the resolution kept for that span (one-second
// buckets up to two hours, one-minute buckets beyond): one row a bucket, time as ISO 8601 UTC (the
// bucket's start), the bucket width, then the least, mean and greatest value of each series.
std::string ChartsCsv(const Telemetry& telemetry, int64_t spanSeconds);

void WireChartsWindow(Application& app, TForm_Charts& form);
void WireSkyWindow(Application& app, TForm_Sky& form);

}  // namespace zelkon
