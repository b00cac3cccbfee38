// The charts window and the sky view.
#include "views/charts.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <map>
#include <optional>
#include <vector>

#include "base/application.h"
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

// The middle of a bucket: where its mean is drawn.
double Middle(const Bucket& b, int64_t width) {
  return static_cast<double>(b.start) + static_cast<double>(width) / 2;
}

// A time chart of the span, ending at the newest sample.
ChartData TimeChart(const BucketSeries& range, int64_t spanSeconds, std::string leftTitle) {
  ChartData chart;
  chart.axes = ChartData::Axes::Time;
  chart.leftTitle = std::move(leftTitle);
  chart.xTitle = "UTC";
  chart.xTo = static_cast<double>(range.Newest());
  chart.xFrom = chart.xTo - static_cast<double>(spanSeconds);
  return chart;
}

// `axisTitle`: the series' name where that is too long to stand beside the chart.
ChartData OffsetChart(const BucketSeries& series, int64_t span, const std::string& name,
                      Colour colour, const std::string& axisTitle = {}) {
  ChartData chart = TimeChart(series, span, axisTitle.empty() ? name : axisTitle);
  if (series.Empty()) return chart;
  if (series.WidthFor(span) > 1) chart.series.push_back(RangeSeries(series, span, colour));
  chart.series.push_back(MeanSeries(series, span, name, colour));
  return chart;
}

ChartData SatellitesChart(const Telemetry& t, int64_t span) {
  ChartData chart = TimeChart(t.SatellitesTrackedSeries(), span, "Satellites");
  if (t.SatellitesTrackedSeries().Empty()) return chart;
  chart.series.push_back(MeanSeries(t.SatellitesTrackedSeries(), span, "Tracked", kTrackedColour));
  chart.series.push_back(MeanSeries(t.SatellitesUsedSeries(), span, "Used", kUsedColour));
  return chart;
}

void RefreshCharts(Application& app, TForm_Charts& form) {
  const Telemetry& t = app.telemetry;
  const int64_t span = ChartSpanSeconds(form.ComboBox_Span.ItemIndex());
  form.Chart_PpsOffset.SetData(OffsetChart(t.PpsOffsetNs(), span, "PPS offset (ns)", kPpsColour));
  form.Chart_OscOffset.SetData(
      OffsetChart(t.OscillatorOffsetPpb(), span, "Oscillator offset (ppb)", kOscillatorColour));
  form.Chart_Quantization.SetData(OffsetChart(t.QuantizationErrorNs(), span,
                                              "PPS quantization error (ns)", kQuantizationColour,
                                              "Quantization (ns)"));
  form.Chart_Satellites.SetData(SatellitesChart(t, span));

  const PpsPhaseSeries& phase = t.PpsPhase();
  const std::vector<StabilityPoint> points = ClockStability(phase.phase());
  form.Chart_Stability.SetData(StabilityChart(points));
  if (points.empty()) {
    form.Label_Stability.SetCaption("Stability: waiting for 3 s of PPS offsets");
  } else {
    form.Label_Stability.SetCaption(Printf("Stability of %ld s of PPS offsets, %ld gaps",
                                           static_cast<long>(phase.phase().size()),
                                           static_cast<long>(phase.gaps().size())));
  }
}

void SaveCsv(Application& app, TForm_Charts& form) {
  const std::optional<std::string> path = app.dialogs.OpenFile(
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

ChartSeries MeanSeries(const BucketSeries& series, int64_t spanSeconds, const std::string& name,
                       Colour colour) {
  ChartSeries line = ChartSeries::Of(name, colour);
  const int64_t width = series.WidthFor(spanSeconds);
  for (const Bucket& b : series.Last(spanSeconds)) {
    const double x = width > 1 ? Middle(b, width) : static_cast<double>(b.start);
    line.points.push_back({x, b.Mean(), b.min, b.max});
  }
  return line;
}

ChartSeries RangeSeries(const BucketSeries& series, int64_t spanSeconds, Colour colour) {
  ChartSeries band = ChartSeries::Of("_range", colour, ChartSeries::Style::Band);
  const int64_t width = series.WidthFor(spanSeconds);
  for (const Bucket& b : series.Last(spanSeconds))
    band.points.push_back({Middle(b, width), b.Mean(), b.min, b.max});
  return band;
}

ChartData StabilityChart(const std::vector<StabilityPoint>& points) {
  ChartData chart;
  chart.axes = ChartData::Axes::LogLog;
  chart.xTitle = "Averaging time (s)";
  chart.leftTitle = "ADEV, MDEV";
  chart.rightTitle = "Time deviation (s)";
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
      const double azimuth = p.azimuth * kDegreesPerRadian;
      const double elevation = p.elevation * kDegreesPerRadian;
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
    const double azimuth = s.azimuth * kDegreesPerRadian;
    const double elevation = s.elevation * kDegreesPerRadian;
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
  form.OnShow = [&app, &form] {
    RefreshCharts(app, form);
    form.Timer_Refresh.SetEnabled(true);
  };
  form.OnClose = [&form] { form.Timer_Refresh.SetEnabled(false); };
  form.Timer_Refresh.OnTimer = [&app, &form] { RefreshCharts(app, form); };
  form.ComboBox_Span.OnChange = [&app, &form] { RefreshCharts(app, form); };
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
