#include "chart_view.h"

#include <QAreaSeries>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QMouseEvent>
#include <QPolarChart>
#include <QScatterSeries>
#include <QValueAxis>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <limits>

#include "binder.h"

namespace zelkon::gui {
namespace {

constexpr qreal kBandAlpha = 0.25;
constexpr qreal kWheelZoom = 0.8;
constexpr qreal kMarkerSize = 11;
constexpr double kSecondsPerDay = 86400;

QColor ColourOf(Colour colour) { return ToQColor(colour, QPalette()); }

// The local zone's offset from UTC at a time, in milliseconds. The date-time axis writes its
// labels in local time and the charts show UTC, so time values are shifted back by it.
qint64 LocalOffsetMs(double unixSeconds) {
  return static_cast<qint64>(
             QDateTime::fromSecsSinceEpoch(static_cast<qint64>(unixSeconds)).offsetFromUtc()) *
         1000;
}

// Polar charts put the radius 0 at the centre: the zenith (elevation 90) is there.
qreal Zenith(double elevation) { return 90.0 - elevation; }

bool Hidden(const ChartSeries& series) { return !series.name.empty() && series.name[0] == '_'; }

void HideLegend(QChart* chart, QAbstractSeries* series) {
  for (QLegendMarker* marker : chart->legend()->markers(series))
    marker->setVisible(false);
}

}  // namespace

ChartView::ChartView(QWidget* parent) : QChartView(parent) {
  setRenderHint(QPainter::Antialiasing);
}

bool ChartView::Zoomable() const {
  return axes_ == ChartData::Axes::Time || axes_ == ChartData::Axes::LogLog;
}

void ChartView::BuildAxes(ChartData::Axes axes) {
  QChart* chart = axes == ChartData::Axes::Polar ? new QPolarChart : new QChart;
  chart->legend()->setAlignment(Qt::AlignBottom);
  // The sky's legend shows the circle of the used satellites and the square of the others.
  chart->legend()->setMarkerShape(QLegend::MarkerShapeFromSeries);
  chart->setMargins(QMargins(4, 4, 4, 4));
  x_ = left_ = right_ = nullptr;
  switch (axes) {
    case ChartData::Axes::Time: {
      auto* time = new QDateTimeAxis;
      time->setTickCount(6);
      auto* value = new QValueAxis;
      chart->addAxis(time, Qt::AlignBottom);
      chart->addAxis(value, Qt::AlignLeft);
      x_ = time;
      left_ = value;
      break;
    }
    case ChartData::Axes::LogLog: {
      auto* tau = new QLogValueAxis;
      tau->setLabelFormat("%g");
      tau->setMinorTickCount(-1);
      auto* deviation = new QLogValueAxis;
      deviation->setLabelFormat("%.0e");
      auto* tdev = new QLogValueAxis;
      tdev->setLabelFormat("%.0e");
      chart->addAxis(tau, Qt::AlignBottom);
      chart->addAxis(deviation, Qt::AlignLeft);
      chart->addAxis(tdev, Qt::AlignRight);
      x_ = tau;
      left_ = deviation;
      right_ = tdev;
      break;
    }
    case ChartData::Axes::Polar: {
      auto* polar = static_cast<QPolarChart*>(chart);
      auto* azimuth = new QCategoryAxis;
      azimuth->setRange(0, 360);
      azimuth->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
      azimuth->append("E", 90);
      azimuth->append("S", 180);
      azimuth->append("W", 270);
      azimuth->append("N", 360);
      auto* elevation = new QCategoryAxis;
      elevation->setRange(0, 90);
      elevation->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
      // The zenith, at the centre, needs no label.
      for (int e = 60; e >= 0; e -= 30)
        elevation->append(QString("%1°").arg(e), Zenith(e));
      polar->addAxis(azimuth, QPolarChart::PolarOrientationAngular);
      polar->addAxis(elevation, QPolarChart::PolarOrientationRadial);
      x_ = azimuth;
      left_ = elevation;
      break;
    }
    case ChartData::Axes::Columns: {
      // The value axis' title names the bars.
      chart->legend()->hide();
      auto* categories = new QBarCategoryAxis;
      auto* value = new QValueAxis;
      chart->addAxis(categories, Qt::AlignBottom);
      chart->addAxis(value, Qt::AlignLeft);
      x_ = categories;
      left_ = value;
      break;
    }
  }
  QChart* old = this->chart();
  setChart(chart);
  delete old;
  axes_ = axes;
  hasAxes_ = true;
  following_ = true;
  setRubberBand(Zoomable() ? QChartView::RectangleRubberBand : QChartView::NoRubberBand);
}

qreal ChartView::TimeX(double unixSeconds) const {
  return unixSeconds * 1000.0 - static_cast<qreal>(offsetMs_);
}

void ChartView::SetData(const ChartData& data) {
  if (!hasAxes_ || data.axes != axes_) BuildAxes(data.axes);
  data_ = data;
  // One offset for the whole chart, the zone's at its newest time: a span of at most two days
  // crosses a daylight-saving change at most once, and its older part is then an hour off.
  if (data.axes == ChartData::Axes::Time) offsetMs_ = LocalOffsetMs(data.xTo);
  QChart* chart = this->chart();
  chart->removeAllSeries();
  x_->setTitleText(QString::fromStdString(data.xTitle));
  left_->setTitleText(QString::fromStdString(data.leftTitle));
  if (right_ != nullptr) {
    right_->setTitleText(QString::fromStdString(data.rightTitle));
    right_->setVisible(!data.rightTitle.empty());
  }
  if (auto* categories = qobject_cast<QBarCategoryAxis*>(x_)) {
    QStringList names;
    for (const std::string& name : data.categories)
      names << QString::fromStdString(name);
    if (categories->categories() != names) {
      categories->clear();
      categories->append(names);
    }
  }
  for (const ChartSeries& series : data.series)
    AddSeries(series);
  if (following_) FitAxes();
}

void ChartView::AddSeries(const ChartSeries& s) {
  QChart* chart = this->chart();
  const QColor colour = ColourOf(s.colour);
  const auto place = [&](QAbstractSeries* series, bool legend) {
    series->setName(QString::fromStdString(s.name));
    chart->addSeries(series);
    series->attachAxis(x_);
    series->attachAxis(s.rightAxis && right_ != nullptr ? right_ : left_);
    if (!legend) HideLegend(chart, series);
  };
  const auto xOf = [this](double x) { return axes_ == ChartData::Axes::Time ? TimeX(x) : x; };
  const auto yOf = [this](double y) { return axes_ == ChartData::Axes::Polar ? Zenith(y) : y; };

  switch (s.style) {
    case ChartSeries::Style::Line: {
      auto* line = new QLineSeries;
      QList<QPointF> points;
      points.reserve(static_cast<qsizetype>(s.points.size()));
      for (const ChartPoint& p : s.points)
        points.append({xOf(p.x), yOf(p.y)});
      line->replace(points);
      line->setColor(colour);
      place(line, !Hidden(s));
      break;
    }
    case ChartSeries::Style::Band: {
      // The area does not own its boundary lines: as its children they go with it.
      auto* area = new QAreaSeries;
      auto* upper = new QLineSeries(area);
      auto* lower = new QLineSeries(area);
      for (const ChartPoint& p : s.points) {
        upper->append(xOf(p.x), p.high);
        lower->append(xOf(p.x), p.low);
      }
      area->setUpperSeries(upper);
      area->setLowerSeries(lower);
      QColor fill = colour;
      fill.setAlphaF(kBandAlpha);
      area->setBrush(fill);
      area->setPen(Qt::NoPen);
      place(area, false);
      break;
    }
    case ChartSeries::Style::ErrorBars: {
      for (const ChartPoint& p : s.points) {
        auto* bar = new QLineSeries;
        bar->append(p.x, p.low);
        bar->append(p.x, p.high);
        bar->setColor(colour);
        place(bar, false);
      }
      break;
    }
    case ChartSeries::Style::Points: {
      const auto shape = s.marker == ChartSeries::Marker::Square
                             ? QScatterSeries::MarkerShapeRectangle
                             : QScatterSeries::MarkerShapeCircle;
      // The legend entry: an empty series with the marker; each point is its own series, so that
      // it carries its own label and colour.
      auto* legend = new QScatterSeries;
      legend->setMarkerShape(shape);
      legend->setMarkerSize(kMarkerSize);
      legend->setColor(Qt::gray);
      place(legend, true);
      for (size_t i = 0; i < s.points.size(); ++i) {
        auto* point = new QScatterSeries;
        point->setMarkerShape(shape);
        point->setMarkerSize(kMarkerSize);
        point->setColor(i < s.colours.size() ? ColourOf(s.colours[i]) : colour);
        point->append(xOf(s.points[i].x), yOf(s.points[i].y));
        if (i < s.labels.size()) {
          point->setPointLabelsFormat(QString::fromStdString(s.labels[i]));
          point->setPointLabelsVisible(true);
          point->setPointLabelsClipping(false);
        }
        place(point, false);
      }
      break;
    }
    case ChartSeries::Style::Bars: {
      auto* set = new QBarSet(QString::fromStdString(s.name));
      set->setColor(colour);
      for (const ChartPoint& p : s.points)
        set->append(p.y);
      auto* bars = new QBarSeries;
      bars->append(set);
      place(bars, true);
      break;
    }
  }
}

void ChartView::FitAxes() {
  double yLow = std::numeric_limits<double>::infinity();
  double yHigh = -yLow;
  double rLow = yLow;
  double rHigh = -yLow;
  double xLow = yLow;
  double xHigh = -yLow;
  const bool log = axes_ == ChartData::Axes::LogLog;
  for (const ChartSeries& s : data_.series) {
    for (const ChartPoint& p : s.points) {
      const double low = std::min({p.low, p.high, p.y});
      const double high = std::max({p.low, p.high, p.y});
      if (log && !(low > 0)) continue;
      double& from = s.rightAxis ? rLow : yLow;
      double& to = s.rightAxis ? rHigh : yHigh;
      from = std::min(from, low);
      to = std::max(to, high);
      xLow = std::min(xLow, p.x);
      xHigh = std::max(xHigh, p.x);
    }
  }
  switch (axes_) {
    case ChartData::Axes::Time: {
      double from = data_.xFrom;
      double to = data_.xTo;
      if (!(from < to)) from = to - 600;
      auto* time = static_cast<QDateTimeAxis*>(x_);
      time->setFormat(to - from > kSecondsPerDay ? "dd MMM hh:mm" : "hh:mm:ss");
      time->setRange(QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(TimeX(from))),
                     QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(TimeX(to))));
      if (yLow > yHigh) yLow = 0, yHigh = 1;
      const double margin = std::max((yHigh - yLow) * 0.05, 0.5);
      auto* value = static_cast<QValueAxis*>(left_);
      value->setRange(yLow - margin, yHigh + margin);
      value->applyNiceNumbers();
      break;
    }
    case ChartData::Axes::LogLog: {
      // Whole decades around the points.
      const auto decades = [](QAbstractAxis* axis, double from, double to) {
        if (from > to) from = 1e-12, to = 1e-9;
        static_cast<QLogValueAxis*>(axis)->setRange(std::pow(10, std::floor(std::log10(from))),
                                                    std::pow(10, std::ceil(std::log10(to))));
      };
      if (xLow > xHigh) xLow = 1, xHigh = 1000;
      static_cast<QLogValueAxis*>(x_)->setRange(xLow / 1.5, xHigh * 1.5);
      decades(left_, yLow, yHigh);
      decades(right_, rLow, rHigh);
      break;
    }
    case ChartData::Axes::Columns: {
      auto* value = static_cast<QValueAxis*>(left_);
      value->setRange(0, std::max(yHigh > 0 ? std::ceil(yHigh / 5) * 5 : 0.0, 25.0));
      break;
    }
    case ChartData::Axes::Polar:
      break;
  }
}

// ---- Zoom and pan -------------------------------------------------------------------------------

void ChartView::wheelEvent(QWheelEvent* event) {
  if (!Zoomable() || event->angleDelta().y() == 0) return QChartView::wheelEvent(event);
  const QRectF plot = chart()->plotArea();
  const qreal factor = event->angleDelta().y() > 0 ? kWheelZoom : 1 / kWheelZoom;
  const qreal x = event->position().x();
  QRectF zoomed = plot;
  zoomed.setLeft(x - (x - plot.left()) * factor);
  zoomed.setRight(x + (plot.right() - x) * factor);
  chart()->zoomIn(zoomed);
  following_ = false;
  event->accept();
}

void ChartView::mousePressEvent(QMouseEvent* event) {
  const bool pan = event->button() == Qt::MiddleButton ||
                   (event->button() == Qt::LeftButton && event->modifiers() & Qt::ShiftModifier);
  if (Zoomable() && pan) {
    panning_ = true;
    panFrom_ = event->position().toPoint();
    event->accept();
    return;
  }
  QChartView::mousePressEvent(event);
}

void ChartView::mouseMoveEvent(QMouseEvent* event) {
  if (panning_) {
    const QPoint at = event->position().toPoint();
    const QPoint step = at - panFrom_;
    chart()->scroll(-step.x(), step.y());
    panFrom_ = at;
    following_ = false;
    event->accept();
    return;
  }
  QChartView::mouseMoveEvent(event);
}

void ChartView::mouseReleaseEvent(QMouseEvent* event) {
  if (panning_) {
    panning_ = false;
    event->accept();
    return;
  }
  // The rubber band zooms in on release of the left button, the right button zooms out.
  if (Zoomable() && (event->button() == Qt::LeftButton || event->button() == Qt::RightButton)) {
    following_ = false;
  }
  QChartView::mouseReleaseEvent(event);
}

void ChartView::mouseDoubleClickEvent(QMouseEvent* event) {
  following_ = true;
  chart()->zoomReset();
  FitAxes();
  event->accept();
}

}  // namespace zelkon::gui
