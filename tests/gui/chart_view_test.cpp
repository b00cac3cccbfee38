// The chart widget: what a chart control holds is what Qt Charts draws, on round ticks in UTC, in
// the palette's colours; the four time charts of the charts window share one time axis through
// every zoom, and follow the newest data again on a double click or a new span.
#include "chart_view.h"

#include <gmock/gmock.h>

#include <QApplication>
#include <QCategoryAxis>
#include <QComboBox>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPolarChart>
#include <QPushButton>
#include <QScatterSeries>
#include <QTest>
#include <QValueAxis>
#include <cmath>

#include "support/test_rig.h"
#include "views/charts_form.h"
#include "windows.h"

namespace zelkon::gui {
namespace {

constexpr double kEnd = 1781000000;  // 2026-06-09 10:13:20 UTC

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

QCategoryAxis* TimeAxis(const ChartView& view) {
  const QList<QAbstractAxis*> axes = view.chart()->axes(Qt::Horizontal);
  return axes.isEmpty() ? nullptr : qobject_cast<QCategoryAxis*>(axes.front());
}

QValueAxis* ValueAxis(const ChartView& view) {
  const QList<QAbstractAxis*> axes = view.chart()->axes(Qt::Vertical);
  return axes.isEmpty() ? nullptr : qobject_cast<QValueAxis*>(axes.front());
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

TEST(ChartViewTest, ATimeChartShowsItsSpanInUtcOnRoundTicksWithItsSeries) {
  ChartView view;
  view.resize(600, 300);
  view.show();
  view.SetData(HourEndingAt(kEnd));
  ASSERT_EQ(view.chart()->series().size(), 2);
  // The band has no legend entry, and one series none: the axis title names it.
  EXPECT_FALSE(view.chart()->legend()->isVisible());
  QCategoryAxis* time = TimeAxis(view);
  ASSERT_NE(time, nullptr);
  EXPECT_EQ(time->min(), kEnd - 3600);
  EXPECT_EQ(time->max(), kEnd);
  // Ten-minute ticks in UTC, at their own times.
  EXPECT_THAT(time->categoriesLabels(),
              ::testing::ElementsAre("09:20", "09:30", "09:40", "09:50", "10:00", "10:10"));
  EXPECT_EQ(time->endValue("09:20"), kEnd - 3200);
  // Every band value lies inside the value axis, whose ends are ticks of a 1-2-5 step.
  QValueAxis* value = ValueAxis(view);
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->min(), -5);
  EXPECT_EQ(value->max(), 5);
  EXPECT_EQ(value->tickCount(), 3);
  EXPECT_EQ(value->labelFormat(), "%.0f");
}

TEST(ChartViewTest, TheChartTakesTheColoursOfADarkPaletteAndKeepsItsSeriesReadable) {
  const QPalette light = QApplication::palette();
  QPalette dark = light;
  dark.setColor(QPalette::Window, QColor(0x30, 0x30, 0x30));
  dark.setColor(QPalette::WindowText, QColor(0xE8, 0xE8, 0xE8));
  ChartView view;
  view.SetData(HourEndingAt(kEnd));
  const auto line = [&view] { return qobject_cast<QLineSeries*>(view.chart()->series()[1]); };
  QApplication::setPalette(dark);
  QApplication::processEvents();  // the change reaches the widgets as an event
  EXPECT_LT(view.chart()->backgroundBrush().color().lightness(), 80);
  EXPECT_GT(TimeAxis(view)->labelsBrush().color().lightness(), 200);
  EXPECT_GT(ValueAxis(view)->titleBrush().color().lightness(), 200);
  EXPECT_GE(line()->color().lightnessF(), 0.6);  // the dark blue drawn lighter
  QApplication::setPalette(light);
  QApplication::processEvents();
  EXPECT_GT(view.chart()->backgroundBrush().color().lightness(), 200);
  EXPECT_LT(TimeAxis(view)->labelsBrush().color().lightness(), 80);
  EXPECT_EQ(line()->color(), QColor(0x1F77B4));
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

// ---- The charts window --------------------------------------------------------------------------

// The timing reports of each UTC second from `from` up to `to`.
void FeedSeconds(Telemetry& telemetry, int64_t from, int64_t to) {
  for (int64_t utc = from; utc < to; ++utc) {
    const int64_t gps = utc - 315964800 + 18;  // GPS seconds, 18 leap seconds
    TimingPrimary primary;
    primary.week = static_cast<uint16_t>(gps / 604800);
    primary.timeOfWeek = static_cast<uint32_t>(gps % 604800);
    primary.utcOffset = 18;
    telemetry.Add(primary, utc * 1000);
    TimingSupplemental supplemental;
    supplemental.ppsOffset = static_cast<float>(5 * std::sin(static_cast<double>(utc) / 50));
    telemetry.Add(supplemental, utc * 1000);
  }
}

TEST(ChartsWindowTest, ZoomRightClickDoubleClickAndANewSpanActOnAllFourTimeCharts) {
  zelkon::testing::TestRig rig;
  TForm_Charts& form = rig.app.Form_Charts;
  const auto end = static_cast<int64_t>(kEnd);
  // 50 minutes of reports, a minute missing after the first 40.
  FeedSeconds(rig.app.telemetry, end - 3000, end - 600);
  FeedSeconds(rig.app.telemetry, end - 540, end);
  BoundWindow window = CreateBoundWindow(*FindWindowType("TForm_Charts"), form, nullptr);
  form.Show();
  window.widget->resize(960, 680);
  std::vector<ChartView*> views;
  for (const char* name :
       {"Chart_PpsOffset", "Chart_OscOffset", "Chart_Quantization", "Chart_Satellites"}) {
    views.push_back(window.widget->findChild<ChartView*>(name));
    ASSERT_NE(views.back(), nullptr);
    views.back()->grab();
  }
  // The range every time chart shows; none when they differ.
  const auto range = [&views]() -> std::pair<double, double> {
    for (ChartView* view : views) {
      if (TimeAxis(*view)->min() != TimeAxis(*views[0])->min() ||
          TimeAxis(*view)->max() != TimeAxis(*views[0])->max()) {
        return {0, 0};
      }
    }
    return {TimeAxis(*views[0])->min(), TimeAxis(*views[0])->max()};
  };
  const auto following = [&form] { return form.Chart_Quantization.Zoom().following; };
  const auto plot = [](ChartView* view) {
    return view->mapFromScene(view->chart()->mapRectToScene(view->chart()->plotArea()))
        .boundingRect();
  };

  // Following at an hour, ending at the newest second's 30-s step; the missing minute shaded.
  auto [from, to] = range();
  EXPECT_EQ(to - from, 3600);
  EXPECT_EQ(to, kEnd + 10);
  for (ChartView* view : views)
    EXPECT_EQ(view->GapBands().size(), 1);
  EXPECT_EQ(ValueAxis(*views[3])->min(), 0);  // satellites: whole numbers from 0
  EXPECT_EQ(ValueAxis(*views[3])->labelFormat(), "%.0f");

  // A range dragged on the PPS chart is the range of all four, and stays as data comes.
  const QRect pps = plot(views[0]);
  const QPoint a(pps.left() + pps.width() * 3 / 10, pps.center().y());
  const QPoint b(pps.left() + pps.width() * 6 / 10, a.y());
  QTest::mousePress(views[0]->viewport(), Qt::LeftButton, {}, a);
  QTest::mouseMove(views[0]->viewport(), b);
  QTest::mouseRelease(views[0]->viewport(), Qt::LeftButton, {}, b);
  const auto zoomed = range();
  EXPECT_NEAR(zoomed.first, from + 1080, 60);
  EXPECT_NEAR(zoomed.second - zoomed.first, 1080, 60);
  FeedSeconds(rig.app.telemetry, end, end + 60);
  form.Timer_Refresh.Tick();
  EXPECT_EQ(range(), zoomed);
  EXPECT_FALSE(following());

  // The right button on the satellites shows twice the range around its middle, on all four.
  QTest::mouseClick(views[3]->viewport(), Qt::RightButton, {}, plot(views[3]).center());
  EXPECT_DOUBLE_EQ(range().second - range().first, 2 * (zoomed.second - zoomed.first));
  EXPECT_DOUBLE_EQ(range().first + range().second, zoomed.first + zoomed.second);

  // A double click on the oscillator: all four follow the newest data at the hour again.
  QTest::mouseDClick(views[1]->viewport(), Qt::LeftButton, {}, plot(views[1]).center());
  EXPECT_TRUE(following());
  std::tie(from, to) = range();
  EXPECT_EQ(to - from, 3600);
  EXPECT_GE(to, kEnd + 59);

  // Zoomed out with the right button, then a new span: all four follow at ten minutes.
  const QPoint middle = plot(views[0]).center();
  QTest::mouseClick(views[0]->viewport(), Qt::RightButton, {}, middle);
  EXPECT_FALSE(following());
  auto* span = window.widget->findChild<QComboBox*>("ComboBox_Span");
  span->setCurrentIndex(0);
  emit span->activated(0);
  EXPECT_TRUE(following());
  std::tie(from, to) = range();
  EXPECT_EQ(to - from, 600);
  EXPECT_EQ(to, kEnd + 60);
  // And they go on: a minute more moves all four.
  FeedSeconds(rig.app.telemetry, end + 60, end + 120);
  form.Timer_Refresh.Tick();
  EXPECT_EQ(range().first, from + 60);

  // The Live button ends a zoom too.
  QTest::mouseClick(views[0]->viewport(), Qt::RightButton, {}, middle);
  EXPECT_FALSE(following());
  QTest::mouseClick(window.widget->findChild<QPushButton*>("Button_Live"), Qt::LeftButton);
  EXPECT_TRUE(following());
  EXPECT_EQ(range().second - range().first, 600);
}

}  // namespace
}  // namespace zelkon::gui
