// What a chart control draws: series of points on the chart's axes, the ticks of a time chart's
// axes and the intervals where no data came. The user interface draws it with its charting
// library; the model only holds the points, so a script or a test reads the same data the window
// draws.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "model/colour.h"

namespace zelkon {

struct ChartPoint {
  double x = 0;
  double y = 0;
  // The least and greatest value the point stands for: the band of a time series' bucket, the
  // error bar of a deviation. Equal to y where there is none.
  double low = 0;
  double high = 0;

  friend bool operator==(const ChartPoint&, const ChartPoint&) = default;
};

struct ChartSeries {
  enum class Style {
    Line,       // y joined by lines
    Band,       // the area from low to high
    Points,     // markers, each with its label
    Bars,       // one bar a category (x is the category's index)
    ErrorBars,  // a vertical bar from low to high at each x
  };
  enum class Marker { Circle, Square };

  std::string name;  // the legend's text; a series whose name starts with '_' has no legend entry
  Colour colour = Colour::Rgb(0x000000);
  Style style = Style::Line;
  Marker marker = Marker::Circle;
  bool rightAxis = false;  // measured on the right value axis
  std::vector<ChartPoint> points;
  std::vector<std::string> labels;  // Points: a label a point (or none)
  std::vector<Colour> colours;      // Points: a colour a point (or none: the series' colour)

  friend bool operator==(const ChartSeries&, const ChartSeries&) = default;

  static ChartSeries Of(std::string name, Colour colour, Style style = Style::Line) {
    ChartSeries series;
    series.name = std::move(name);
    series.colour = colour;
    series.style = style;
    return series;
  }
};

// A tick of an axis at a round value, and its label.
struct ChartTick {
  double value = 0;
  std::string label;

  friend bool operator==(const ChartTick&, const ChartTick&) = default;
};

// A value axis: its range, from one tick to another, and the step between its ticks.
struct ChartScale {
  double from = 0;
  double to = 1;
  double step = 0.2;
  int decimals = 1;  // of the tick labels

  friend bool operator==(const ChartScale&, const ChartScale&) = default;
};

// An interval of x.
struct ChartInterval {
  double from = 0;
  double to = 0;

  friend bool operator==(const ChartInterval&, const ChartInterval&) = default;
};

// What the operator looks at on a time chart: the newest data, or a range of time he zoomed or
// panned to.
struct ChartZoom {
  bool following = true;
  double from = 0;  // while not following: UTC, seconds since 1970
  double to = 0;

  friend bool operator==(const ChartZoom&, const ChartZoom&) = default;
};

struct ChartData {
  enum class Axes {
    Time,     // x: UTC, seconds since 1970; y on the left (and right) value axes
    LogLog,   // x and y on logarithmic axes
    Polar,    // x: azimuth in degrees clockwise from north; y: elevation in degrees
    Columns,  // x: the index of a category
  };

  Axes axes = Axes::Time;
  std::string leftTitle;
  std::string rightTitle;  // empty: no right axis
  std::string xTitle;
  // The range of x the chart shows (Time and LogLog); equal values: fitted to the points.
  double xFrom = 0;
  double xTo = 0;
  std::vector<std::string> categories;  // Columns
  std::vector<ChartSeries> series;

  // Time: the ticks of the x axis and the scale of the left one (FitTimeAxes in chart_axes.h).
  // A count (wholeNumbers) is scaled from 0 in whole steps.
  bool wholeNumbers = false;
  std::vector<ChartTick> xTicks;
  ChartScale leftScale;
  // Time: where no data came. A line does not cross a gap, and each gap is shaded.
  std::vector<ChartInterval> gaps;

  friend bool operator==(const ChartData&, const ChartData&) = default;

  size_t PointCount() const {
    size_t count = 0;
    for (const ChartSeries& s : series)
      count += s.points.size();
    return count;
  }
};

}  // namespace zelkon
