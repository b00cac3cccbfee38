// The charts window and the sky view.
#include "views/charts.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "base/application.h"
#include "model/chart_axes.h"
#include "platform/file_read.h"
#include "text/printf.h"
#include "views/charts_form.h"
#include "views/sky_form.h"

namespace zelkon {
namespace {

constexpr std::array<int64_t, 8> kSpans = {600, 1800, 3600, 7200, 21600, 43200, 86400, 172800};
constexpr double kDegreesPerRadian = 57.29577951308232;

constexpr Colour kPpsColour = Colour::Rgb(0x1F77B4);
constexpr Colour kOscillatorColour = Colour::Rgb(0xFF7F0E);
constexpr Colour kQuantizationColour = Colour::Rgb(0x2CA02C);
constexpr Colour kTrackedColour = Colour::Rgb(0x9467BD);
constexpr Colour kUsedColour = Colour::Rgb(0x8C564B);
constexpr Colour kAdevColour = Colour::Rgb(0x1F77B4);
constexpr Colour kMdevColour = Colour::Rgb(0xD62728);
constexpr Colour kTdevColour = Colour::Rgb(0x2CA02C);
constexpr Colour kTrackColour = Colour::Rgb(0xA0A0A0);
constexpr Colour kSignalColour = Colour::Rgb(0x1F77B4);

// The time charts move on in steps of this share of their span.
constexpr int64_t kFollowSteps = 120;
// The points across a time chart: about one a pixel of a chart of half the window's width.
constexpr double kPointsAcross = 600;
// The narrowest range an operator zooms to: a few ticks of whole seconds.
constexpr double kNarrowestZoomSeconds = 10;
// The stability plots are computed again after this many seconds of reports, or after a 200th of
// their series' length when that is longer: each computation costs a pass over the whole series
// per averaging time, and a few more samples hardly change it.
constexpr int64_t kStabilityRefreshSeconds = 10;
constexpr int64_t kStabilityRefreshShare = 200;
// The sky view draws positions to a tenth of a degree: a satellite moves that far in about half a
// minute, so most refreshes find nothing new to draw.
constexpr double kSkyResolution = 10;

// The middle of a bucket: where its mean is drawn.
double Middle(const Bucket& b, int64_t width) {
  return static_cast<double>(b.start) + static_cast<double>(width) / 2;
}

// Where a bucket's mean is drawn: a one-second bucket at its second, a wider one in its middle.
double Where(const Bucket& b, int64_t width) {
  return width > 1 ? Middle(b, width) : static_cast<double>(b.start);
}

double SkyDegrees(float radians) {
  return std::round(radians * kDegreesPerRadian * kSkyResolution) / kSkyResolution;
}

// A time chart of the range; its axes are fitted once its series are in.
ChartData TimeChart(ChartInterval range, std::string leftTitle) {
  ChartData chart;
  chart.axes = ChartData::Axes::Time;
  chart.leftTitle = std::move(leftTitle);
  chart.xTitle = "UTC";
  chart.xFrom = range.from;
  chart.xTo = range.to;
  return chart;
}

// `axisTitle`: the series' name where that is too long to stand beside the chart.
ChartData OffsetChart(const BucketSeries& series, ChartInterval range, const std::string& name,
                      Colour colour, const std::string& axisTitle = {}) {
  ChartData chart = TimeChart(range, axisTitle.empty() ? name : axisTitle);
  int64_t width = 1;
  const std::vector<Bucket> buckets = ChartBuckets(series, range, width);
  if (!buckets.empty()) {
    if (width > 1) chart.series.push_back(RangeSeries(buckets, width, colour));
    chart.series.push_back(MeanSeries(buckets, width, name, colour));
    chart.gaps = GapsBetween(buckets, width);
  }
  FitTimeAxes(chart);
  return chart;
}

ChartData SatellitesChart(const Telemetry& t, ChartInterval range) {
  ChartData chart = TimeChart(range, "Satellites");
  chart.wholeNumbers = true;
  int64_t width = 1;
  const std::vector<Bucket> tracked = ChartBuckets(t.SatellitesTrackedSeries(), range, width);
  if (!tracked.empty()) {
    chart.series.push_back(MeanSeries(tracked, width, "Tracked", kTrackedColour));
    chart.series.push_back(MeanSeries(ChartBuckets(t.SatellitesUsedSeries(), range, width), width,
                                      "Used", kUsedColour));
    chart.gaps = GapsBetween(tracked, width);
  }
  FitTimeAxes(chart);
  return chart;
}

// The four time charts, which show one range of time together.
std::array<Chart*, 4> TimeCharts(TForm_Charts& form) {
  return {&form.Chart_PpsOffset, &form.Chart_OscOffset, &form.Chart_Quantization,
          &form.Chart_Satellites};
}

void RefreshTimeCharts(const Telemetry& t, TForm_Charts& form) {
  const ChartInterval range = ShownTimeRange(form.Chart_PpsOffset.Zoom(), t.PpsOffsetNs().Newest(),
                                             ChartSpanSeconds(form.ComboBox_Span.ItemIndex()));
  form.Chart_PpsOffset.SetData(OffsetChart(t.PpsOffsetNs(), range, "PPS offset (ns)", kPpsColour));
  form.Chart_OscOffset.SetData(OffsetChart(t.OscillatorOffsetPpb(), range,
                                           "Oscillator offset (ppb)", kOscillatorColour,
                                           "Oscillator (ppb)"));
  form.Chart_Quantization.SetData(OffsetChart(t.QuantizationErrorNs(), range,
                                              "PPS quantization error (ns)", kQuantizationColour,
                                              "Quantization (ns)"));
  form.Chart_Satellites.SetData(SatellitesChart(t, range));
}

void RefreshStability(const Telemetry& t, TForm_Charts& form) {
  const PpsPhaseSeries& phase = t.PpsPhase();
  const std::vector<StabilityPoint> pps = ClockStability(phase.phase());
  form.Chart_Stability.SetData(StabilityChart(pps, "PPS offset"));
  form.Chart_OscStability.SetData(
      StabilityChart(FrequencyStability(phase.oscillatorOffsets()), "Oscillator offset"));
  if (pps.empty()) {
    form.Label_Stability.SetCaption("Stability: waiting for 3 s of PPS offsets");
  } else {
    form.Label_Stability.SetCaption(
        Printf("Stability of %ld s of PPS and oscillator offsets, %ld gaps",
               static_cast<long>(phase.phase().size()), static_cast<long>(phase.gaps().size())));
  }
}

// What the operator does to the time axis of one chart, the four time charts show together.
void ZoomAll(const Telemetry& t, TForm_Charts& form, const ChartZoom& zoom) {
  for (Chart* chart : TimeCharts(form))
    chart->SetZoom(zoom);
  RefreshTimeCharts(t, form);
}

void SaveCsv(Application& app, TForm_Charts& form) {
  const std::optional<std::string> path = app.dialogs.SaveFile(
      {"zelkon-charts.csv", ".csv", "CSV Files (*.csv)|*.csv|All Files (*.*)|*.*"});
  if (!path) return;
  const std::string csv =
      ChartsCsv(app.telemetry, ChartSpanSeconds(form.ComboBox_Span.ItemIndex()));
  // A FIFO nobody reads is refused at once rather than waited on.
  std::FILE* file = OpenForWriting(*path);
  const bool written =
      file != nullptr && std::fwrite(csv.data(), 1, csv.size(), file) == csv.size();
  // Closing flushes: a full disk shows only here.
  const bool closed = file != nullptr && std::fclose(file) == 0;
  if (!written || !closed) {
    app.dialogs.MessageBox("Could not write " + *path + ".", "Save as CSV", Buttons::Ok,
                           Icon::Stop);
  }
}

}  // namespace

int64_t ChartSpanSeconds(int itemIndex) {
  if (itemIndex < 0 || itemIndex >= static_cast<int>(kSpans.size())) return kSpans[2];
  return kSpans[static_cast<size_t>(itemIndex)];
}

ChartInterval ShownTimeRange(const ChartZoom& zoom, int64_t newestSecond, int64_t spanSeconds) {
  if (!zoom.following) return {zoom.from, zoom.to};
  const int64_t step = std::max<int64_t>(1, spanSeconds / kFollowSteps);
  // The end: the newest sample's step or the one after it.
  const int64_t steps = newestSecond >= 0 ? (newestSecond + step - 1) / step : newestSecond / step;
  const double to = static_cast<double>(steps * step);
  return {to - static_cast<double>(spanSeconds), to};
}

ChartZoom ClampedZoom(const ChartZoom& zoom) {
  const double middle = (zoom.from + zoom.to) / 2;
  // A range that is not a number is of no use: the charts follow again.
  if (zoom.following || !std::isfinite(middle) || !std::isfinite(zoom.to - zoom.from)) {
    return ChartZoom{};
  }
  const double width =
      std::clamp(zoom.to - zoom.from, kNarrowestZoomSeconds, static_cast<double>(kSpans.back()));
  return ChartZoom{false, middle - width / 2, middle + width / 2};
}

std::vector<Bucket> ChartBuckets(const BucketSeries& series, ChartInterval range, int64_t& width) {
  // How far back from the newest sample the range begins picks the resolution kept.
  const int64_t newest = series.Newest();
  const int64_t back = std::max<int64_t>(1, newest - static_cast<int64_t>(std::floor(range.from)));
  const int64_t kept = series.WidthFor(back);
  // About a point a pixel: the kept buckets joined into whole multiples of their width.
  const int64_t across = static_cast<int64_t>(std::ceil((range.to - range.from) / kPointsAcross));
  width = std::max<int64_t>(1, (across + kept - 1) / kept) * kept;
  std::vector<Bucket> buckets;
  for (const Bucket& b : series.Last(back)) {
    if (static_cast<double>(b.start) > range.to) break;
    const int64_t start = (b.start >= 0 ? b.start / width : (b.start - width + 1) / width) * width;
    if (!buckets.empty() && buckets.back().start == start) {
      Bucket& joined = buckets.back();
      joined.min = std::min(joined.min, b.min);
      joined.max = std::max(joined.max, b.max);
      joined.sum += b.sum;
      joined.count += b.count;
    } else {
      buckets.push_back(b);
      buckets.back().start = start;
    }
  }
  // The newest bucket shows once its last second has come: until then it would change at every
  // refresh.
  if (!buckets.empty() && buckets.back().start + width - 1 > newest) buckets.pop_back();
  return buckets;
}

ChartSeries MeanSeries(const std::vector<Bucket>& buckets, int64_t width, const std::string& name,
                       Colour colour) {
  ChartSeries line = ChartSeries::Of(name, colour);
  line.points.reserve(buckets.size());
  for (const Bucket& b : buckets)
    line.points.push_back({Where(b, width), b.Mean(), b.min, b.max});
  return line;
}

ChartSeries RangeSeries(const std::vector<Bucket>& buckets, int64_t width, Colour colour) {
  ChartSeries band = ChartSeries::Of("_range", colour, ChartSeries::Style::Band);
  band.points.reserve(buckets.size());
  for (const Bucket& b : buckets)
    band.points.push_back({Middle(b, width), b.Mean(), b.min, b.max});
  return band;
}

std::vector<ChartInterval> GapsBetween(const std::vector<Bucket>& buckets, int64_t width) {
  std::vector<ChartInterval> gaps;
  for (size_t i = 1; i < buckets.size(); ++i) {
    if (buckets[i].start - buckets[i - 1].start > 2 * width) {
      gaps.push_back({static_cast<double>(buckets[i - 1].start + width),
                      static_cast<double>(buckets[i].start)});
    }
  }
  return gaps;
}

ChartData StabilityChart(const std::vector<StabilityPoint>& points, const std::string& of) {
  ChartData chart;
  chart.axes = ChartData::Axes::LogLog;
  chart.xTitle = of + ": averaging time (s)";
  chart.leftTitle = "ADEV, MDEV";
  chart.rightTitle = "TDEV (s)";
  struct Deviation {
    const char* name;
    Colour colour;
    bool right;
    double StabilityPoint::*value;
    int64_t StabilityPoint::*terms;
  };
  const std::array<Deviation, 3> deviations = {{
      {"ADEV", kAdevColour, false, &StabilityPoint::adev, &StabilityPoint::adevTerms},
      {"MDEV", kMdevColour, false, &StabilityPoint::mdev, &StabilityPoint::mdevTerms},
      {"TDEV", kTdevColour, true, &StabilityPoint::tdev, &StabilityPoint::mdevTerms},
  }};
  for (const Deviation& d : deviations) {
    ChartSeries line = ChartSeries::Of(d.name, d.colour);
    ChartSeries bars = ChartSeries::Of(std::string("_") + d.name + " error", d.colour,
                                       ChartSeries::Style::ErrorBars);
    line.rightAxis = bars.rightAxis = d.right;
    for (const StabilityPoint& p : points) {
      const double value = p.*d.value;
      const int64_t terms = p.*d.terms;
      // A deviation of zero or without terms has no place on a logarithmic axis.
      if (!(value > 0) || terms <= 0) continue;
      const double error = value / std::sqrt(static_cast<double>(terms));
      const ChartPoint point{p.tauSeconds, value, std::max(value - error, value * 1e-3),
                             value + error};
      line.points.push_back(point);
      bars.points.push_back(point);
    }
    chart.series.push_back(std::move(line));
    chart.series.push_back(std::move(bars));
  }
  return chart;
}

Colour SignalColour(double amu) {
  if (amu < 4) return Colour::Rgb(0xD62728);
  if (amu < 8) return Colour::Rgb(0xFF7F0E);
  if (amu < 12) return Colour::Rgb(0xBCBD22);
  return Colour::Rgb(0x2CA02C);
}

ChartData SkyChart(const Telemetry& t) {
  ChartData chart;
  chart.axes = ChartData::Axes::Polar;
  // The tracks first, under the satellites. A track crossing north is cut there, so that no line
  // goes round the long way.
  for (const auto& [prn, track] : t.Tracks()) {
    ChartSeries piece = ChartSeries::Of(Printf("_track %d", prn), kTrackColour);
    double lastAzimuth = 0;
    for (const SkyPoint& p : track) {
      const double azimuth = SkyDegrees(p.azimuth);
      const double elevation = SkyDegrees(p.elevation);
      if (!piece.points.empty() && std::fabs(azimuth - lastAzimuth) > 180) {
        chart.series.push_back(piece);
        piece.points.clear();
      }
      piece.points.push_back({azimuth, elevation, elevation, elevation});
      lastAzimuth = azimuth;
    }
    chart.series.push_back(std::move(piece));
  }
  ChartSeries used = ChartSeries::Of("Used", kTrackColour, ChartSeries::Style::Points);
  ChartSeries unused = ChartSeries::Of("Not used", kTrackColour, ChartSeries::Style::Points);
  unused.marker = ChartSeries::Marker::Square;
  const std::vector<int8_t>& selected = t.SelectedPrns();
  for (const std::optional<TrackedSatellite>& channel : t.Channels()) {
    if (!channel || channel->status.acquisition != 1) continue;
    if (!t.Fresh(*channel)) continue;
    const TrackingStatus& s = channel->status;
    const double azimuth = SkyDegrees(s.azimuth);
    const double elevation = SkyDegrees(s.elevation);
    const bool isUsed =
        std::find(selected.begin(), selected.end(), static_cast<int8_t>(s.prn)) != selected.end();
    ChartSeries& series = isUsed ? used : unused;
    series.points.push_back({azimuth, elevation, elevation, elevation});
    series.labels.push_back(Printf("%d", s.prn));
    series.colours.push_back(SignalColour(s.signalLevel));
  }
  chart.series.push_back(std::move(used));
  chart.series.push_back(std::move(unused));
  return chart;
}

ChartData SignalChart(const Telemetry& t) {
  ChartData chart;
  chart.axes = ChartData::Axes::Columns;
  chart.leftTitle = "Signal level (AMU)";
  chart.xTitle = "Channel/PRN";
  ChartSeries bars = ChartSeries::Of("Signal level (AMU)", kSignalColour, ChartSeries::Style::Bars);
  for (size_t channel = 0; channel < t.Channels().size(); ++channel) {
    const std::optional<TrackedSatellite>& c = t.Channels()[channel];
    const bool live = c && t.Fresh(*c);
    chart.categories.push_back(live ? Printf("%d/%d", static_cast<int>(channel + 1), c->status.prn)
                                    : Printf("%d/-", static_cast<int>(channel + 1)));
    const double level = live ? c->status.signalLevel : 0.0;
    bars.points.push_back({static_cast<double>(channel), level, level, level});
  }
  chart.series.push_back(std::move(bars));
  return chart;
}

std::string IsoUtc(int64_t unixSeconds) {
  const std::time_t time = static_cast<std::time_t>(unixSeconds);
  std::tm utc{};
  gmtime_r(&time, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

std::string ChartsCsv(const Telemetry& t, int64_t spanSeconds) {
  struct Column {
    const char* name;
    const BucketSeries* series;
  };
  const std::array<Column, 5> columns = {{
      {"pps_offset_ns", &t.PpsOffsetNs()},
      {"oscillator_offset_ppb", &t.OscillatorOffsetPpb()},
      {"quantization_error_ns", &t.QuantizationErrorNs()},
      {"satellites_tracked", &t.SatellitesTrackedSeries()},
      {"satellites_used", &t.SatellitesUsedSeries()},
  }};
  std::string csv = "time_utc,bucket_s";
  for (const Column& c : columns)
    csv += Printf(",%s_min,%s_mean,%s_max", c.name, c.name, c.name);
  csv += "\n";
  // The rows by bucket start; a series without a sample in a bucket leaves its cells empty.
  std::map<int64_t, std::array<std::optional<Bucket>, columns.size()>> rows;
  for (size_t i = 0; i < columns.size(); ++i) {
    for (const Bucket& b : columns[i].series->Last(spanSeconds))
      rows[b.start][i] = b;
  }
  const int64_t width = t.PpsOffsetNs().WidthFor(spanSeconds);
  for (const auto& [start, buckets] : rows) {
    csv += IsoUtc(start) + Printf(",%ld", static_cast<long>(width));
    for (const std::optional<Bucket>& b : buckets) {
      csv += b ? Printf(",%.9g,%.9g,%.9g", b->min, b->Mean(), b->max) : std::string(",,,");
    }
    csv += "\n";
  }
  return csv;
}

void WireChartsWindow(Application& app, TForm_Charts& form) {
  const Telemetry& t = app.telemetry;
  // The receiver second of the newest stability computation.
  auto stabilityAt = std::make_shared<std::optional<int64_t>>();
  const auto refreshStability = [&t, &form, stabilityAt] {
    *stabilityAt = t.TimingSeconds();
    RefreshStability(t, form);
  };
  form.OnShow = [&t, &form, refreshStability] {
    RefreshTimeCharts(t, form);
    refreshStability();
    form.Timer_Refresh.SetEnabled(true);
  };
  form.OnClose = [&form] { form.Timer_Refresh.SetEnabled(false); };
  form.Timer_Refresh.OnTimer = [&t, &form, refreshStability, stabilityAt] {
    RefreshTimeCharts(t, form);
    const int64_t samples = static_cast<int64_t>(t.PpsPhase().phase().size());
    const int64_t every = std::max(kStabilityRefreshSeconds, samples / kStabilityRefreshShare);
    if (!*stabilityAt || t.TimingSeconds() - **stabilityAt >= every) refreshStability();
  };
  // A span chosen while zoomed shows the newest data at that span.
  form.ComboBox_Span.OnChange = [&t, &form] { ZoomAll(t, form, ChartZoom{}); };
  form.Button_Live.OnClick = [&t, &form] { ZoomAll(t, form, ChartZoom{}); };
  for (Chart* chart : TimeCharts(form))
    chart->OnZoom = [&t, &form, chart] { ZoomAll(t, form, ClampedZoom(chart->Zoom())); };
  form.Button_SaveCsv.OnClick = [&app, &form] { SaveCsv(app, form); };
}

void WireSkyWindow(Application& app, TForm_Sky& form) {
  const auto refresh = [&app, &form] {
    form.Chart_Sky.SetData(SkyChart(app.telemetry));
    form.Chart_Signal.SetData(SignalChart(app.telemetry));
  };
  form.OnShow = [refresh, &form] {
    refresh();
    form.Timer_Refresh.SetEnabled(true);
  };
  form.OnClose = [&form] { form.Timer_Refresh.SetEnabled(false); };
  form.Timer_Refresh.OnTimer = refresh;
}

}  // namespace zelkon
