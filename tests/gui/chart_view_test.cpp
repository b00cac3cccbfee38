// The chart widget: what a chart control holds is what Qt Charts draws, the time axis shows the
// span asked for in UTC, and an operator's zoom survives new data until a double click.
#include "chart_view.h"

#include <gmock/gmock.h>

#include <QApplication>
#include <QDateTimeAxis>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPolarChart>
#include <QScatterSeries>
#include <QTest>
#include <QValueAxis>
#include <QWheelEvent>

namespace zelkon::gui {
namespace {

// An hour of a time series ending at `end`, a point a minute, with its band.
ChartData HourEndingAt(double end) {
  ChartData data;
  data.axes = ChartData::Axes::Time;
  data.xFrom = end - 3600;
  data.xTo = end;
  ChartSeries band = ChartSeries::Of("_range", Colour::Rgb(0x1F77B4), ChartSeries::Style::Band);
  ChartSeries line = ChartSeries::Of("PPS offset (ns)", Colour::Rgb(0x1F77B4));
  for (int m = 0; m < 60; ++m) {
    const double x = end - 3600 + 60 * m;
    band.points.push_back({x, 1, -2, 4});
    line.points.push_back({x, 1, -2, 4});
  }
  data.series = {band, line};
  return data;
}

QDateTimeAxis* TimeAxis(const ChartView& view) {
  const QList<QAbstractAxis*> axes = view.chart()->axes(Qt::Horizontal);
  return axes.isEmpty() ? nullptr : qobject_cast<QDateTimeAxis*>(axes.front());
}

int VisibleLegendEntries(ChartView& view) {
  // The legend shows its markers once it is laid out and drawn.
  view.grab();
  QApplication::processEvents();
  view.grab();
  int visible = 0;
  for (QLegendMarker* marker : view.chart()->legend()->markers())
    visible += marker->isVisible() ? 1 : 0;
  return visible;
}

TEST(ChartViewTest, ATimeChartShowsItsSpanInUtcWithItsSeries) {
  ChartView view;
  view.resize(600, 300);
  view.show();
  const double end = 1781000000;  // 2026-06-09 10:13:20 UTC
  view.SetData(HourEndingAt(end));
  ASSERT_EQ(view.chart()->series().size(), 2);
  EXPECT_EQ(VisibleLegendEntries(view), 1);  // the band has no legend entry
  QDateTimeAxis* time = TimeAxis(view);
  ASSERT_NE(time, nullptr);
  EXPECT_EQ(time->min().msecsTo(time->max()), 3600 * 1000);
  // The axis writes local time: shown in UTC, its end reads as the data's UTC.
  EXPECT_EQ(time->max().toString("hh:mm:ss"), "10:13:20");
  EXPECT_EQ(time->format(), "hh:mm:ss");
  // Every band value lies inside the value axis.
  auto* value = qobject_cast<QValueAxis*>(view.chart()->axes(Qt::Vertical).front());
  ASSERT_NE(value, nullptr);
  EXPECT_LE(value->min(), -2);
  EXPECT_GE(value->max(), 4);
}

TEST(ChartViewTest, AZoomKeepsItsViewUntilADoubleClickFollowsTheDataAgain) {
  ChartView view;
  view.resize(600, 300);
  view.show();
  view.SetData(HourEndingAt(1781000000));
  ASSERT_TRUE(view.Following());
  const QPointF middle(view.width() / 2.0, view.height() / 2.0);
  QWheelEvent wheel(middle, view.mapToGlobal(middle), QPoint(), QPoint(0, 120), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(view.viewport(), &wheel);
  EXPECT_FALSE(view.Following());
  const qint64 zoomedSpan = TimeAxis(view)->min().msecsTo(TimeAxis(view)->max());
  EXPECT_LT(zoomedSpan, 3600 * 1000);

  // New data a minute later: the operator's view stays.
  view.SetData(HourEndingAt(1781000060));
  EXPECT_EQ(TimeAxis(view)->min().msecsTo(TimeAxis(view)->max()), zoomedSpan);

  QTest::mouseDClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, middle.toPoint());
  EXPECT_TRUE(view.Following());
  EXPECT_EQ(TimeAxis(view)->min().msecsTo(TimeAxis(view)->max()), 3600 * 1000);
  EXPECT_EQ(TimeAxis(view)->max().toString("hh:mm:ss"), "10:14:20");
}

TEST(ChartViewTest, TheSkyIsAPolarChartWithALabelledMarkerPerSatellite) {
  ChartView view;
  view.show();
  ChartData sky;
  sky.axes = ChartData::Axes::Polar;
  ChartSeries used = ChartSeries::Of("Used", Colour::Rgb(0xA0A0A0), ChartSeries::Style::Points);
  used.points = {{90, 45, 45, 45}, {270, 10, 10, 10}};
  used.labels = {"5", "12"};
  used.colours = {Colour::Rgb(0x2CA02C), Colour::Rgb(0xD62728)};
  sky.series = {used};
  view.SetData(sky);
  ASSERT_NE(qobject_cast<QPolarChart*>(view.chart()), nullptr);
  // The legend's entry, then one series a satellite with its PRN and its signal colour.
  ASSERT_EQ(view.chart()->series().size(), 3);
  auto* first = qobject_cast<QScatterSeries*>(view.chart()->series()[1]);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->pointLabelsFormat(), "5");
  EXPECT_EQ(first->color(), QColor(0x2C, 0xA0, 0x2C));
  // The zenith is the centre: elevation 45 degrees is radius 45, elevation 10 radius 80.
  EXPECT_EQ(first->at(0), QPointF(90, 45));
  EXPECT_EQ(qobject_cast<QScatterSeries*>(view.chart()->series()[2])->at(0), QPointF(270, 80));
  EXPECT_EQ(VisibleLegendEntries(view), 1);
}

}  // namespace
}  // namespace zelkon::gui
