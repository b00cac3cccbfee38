#include "chart_view.h"

#include <QAreaSeries>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QEvent>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QMouseEvent>
#include <QPainter>
#include <QPolarChart>
#include <QRubberBand>
#include <QScatterSeries>
#include <QValueAxis>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <limits>

#include "binder.h"
#include "model/chart_axes.h"

namespace zelkon::gui {
namespace {

constexpr qreal kBandAlpha = 0.25;
constexpr qreal kGapAlpha = 0.12;
constexpr qreal kWheelZoom = 0.8;
constexpr qreal kMarkerSize = 11;
// A shorter drag of the left button is a click, not a range.
constexpr qreal kLeastDrag = 4;
// Grid and axis lines: this share of the way from the background to the text.
constexpr qreal kGridShare = 0.2;
constexpr qreal kAxisShare = 0.5;
// On a dark background a series is drawn at least this light (HSL lightness).
constexpr float kLeastLightnessOnDark = 0.62F;

// Polar charts put the radius 0 at the centre: the zenith (elevation 90) is there.
qreal Zenith(double elevation) { return 90.0 - elevation; }

bool Hidden(const ChartSeries& series) { return !series.name.empty() && series.name[0] == '_'; }

void HideLegend(QChart* chart, QAbstractSeries* series) {
  for (QLegendMarker* marker : chart->legend()->markers(series))
    marker->setVisible(false);
}

QColor Mix(const QColor& from, const QColor& to, qreal share) {
  return QColor::fromRgbF(static_cast<float>(from.redF() + (to.redF() - from.redF()) * share),
                          static_cast<float>(from.greenF() + (to.greenF() - from.greenF()) * share),
                          static_cast<float>(from.blueF() + (to.blueF() - from.blueF()) * share));
}

// Keeps the Qt series of a model series at `count`: the last ones go, `make(index)` adds one.
template <class Make>
void Resize(std::vector<QAbstractSeries*>& pieces, size_t count, QChart* chart, Make make) {
  while (pieces.size() > count) {
    chart->removeSeries(pieces.back());
    delete pieces.back();
    pieces.pop_back();
  }
  while (pieces.size() < count)
    pieces.push_back(make(pieces.size()));
}

// The ends are ticks, a tick a step between them.
void ShowScale(QValueAxis* axis, const ChartScale& scale) {
  if (axis->min() != scale.from || axis->max() != scale.to) axis->setRange(scale.from, scale.to);
  const int ticks = static_cast<int>(std::lround((scale.to - scale.from) / scale.step)) + 1;
  if (axis->tickCount() != ticks) axis->setTickCount(ticks);
  const QString format = QString("%.%1f").arg(scale.decimals);
  if (axis->labelFormat() != format) axis->setLabelFormat(format);
}

void SetTitle(QAbstractAxis* axis, const std::string& title) {
  const QString text = QString::fromStdString(title);
  if (axis->titleText() != text) axis->setTitleText(text);
}

}  // namespace

ChartView::ChartView(QWidget* parent) : QChartView(parent) {
  setRenderHint(QPainter::Antialiasing);
  rubberBand_ = new QRubberBand(QRubberBand::Rectangle, viewport());
  rubberBand_->hide();
}

bool ChartView::Zoomable() const {
  return axes_ == ChartData::Axes::Time || axes_ == ChartData::Axes::LogLog;
}

void ChartView::BuildChart(ChartData::Axes axes) {
  QChart* chart = axes == ChartData::Axes::Polar ? new QPolarChart : new QChart;
  chart->legend()->setAlignment(Qt::AlignBottom);
  // The sky's legend shows the circle of the used satellites and the square of the others.
  chart->legend()->setMarkerShape(QLegend::MarkerShapeFromSeries);
  chart->setMargins(QMargins(4, 4, 4, 4));
  chart->setBackgroundRoundness(0);
  x_ = left_ = right_ = nullptr;
  switch (axes) {
    case ChartData::Axes::Time: {
      // Labels at the ticks the data brings, on round times.
      auto* time = new QCategoryAxis;
      time->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
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
  pieces_.clear();
  shownTicks_.clear();
  axes_ = axes;
  hasChart_ = true;
  following_ = true;
  setRubberBand(axes == ChartData::Axes::LogLog ? QChartView::RectangleRubberBand
                                                : QChartView::NoRubberBand);
  ApplyPalette();
}

void ChartView::ApplyPalette() {
  const QPalette& colours = palette();
  const QColor background = colours.color(QPalette::Window);
  const QColor text = colours.color(QPalette::WindowText);
  dark_ = background.lightness() < 128;
  setBackgroundBrush(background);
  QChart* chart = this->chart();
  chart->setBackgroundBrush(background);
  chart->setBackgroundPen(Qt::NoPen);
  chart->setPlotAreaBackgroundVisible(false);
  chart->setTitleBrush(text);
  chart->legend()->setLabelColor(text);
  for (QAbstractAxis* axis : chart->axes()) {
    axis->setLabelsColor(text);
    axis->setTitleBrush(text);
    axis->setGridLineColor(Mix(background, text, kGridShare));
    axis->setMinorGridLineColor(Mix(background, text, kGridShare / 2));
    axis->setLinePenColor(Mix(background, text, kAxisShare));
    axis->setShadesVisible(false);
  }
}

QColor ChartView::Readable(Colour colour) const {
  QColor qcolour = ToQColor(colour, palette());
  if (dark_) {
    float hue = 0;
    float saturation = 0;
    float lightness = 0;
    float alpha = 0;
    qcolour.getHslF(&hue, &saturation, &lightness, &alpha);
    if (lightness < kLeastLightnessOnDark) {
      qcolour.setHslF(hue, saturation, kLeastLightnessOnDark, alpha);
    }
  }
  return qcolour;
}

void ChartView::changeEvent(QEvent* event) {
  QChartView::changeEvent(event);
  if (event->type() == QEvent::PaletteChange && hasChart_) {
    ApplyPalette();
    DrawAll();
  }
}

bool ChartView::SameSeries(const ChartData& data) const {
  if (data.series.size() != data_.series.size() || pieces_.size() != data.series.size()) {
    return false;
  }
  for (size_t i = 0; i < data.series.size(); ++i) {
    const ChartSeries& a = data.series[i];
    const ChartSeries& b = data_.series[i];
    if (a.style != b.style || a.marker != b.marker || a.rightAxis != b.rightAxis ||
        a.name != b.name) {
      return false;
    }
  }
  return true;
}

void ChartView::SetData(const ChartData& data) {
  const bool rebuilt = !hasChart_ || data.axes != axes_;
  if (rebuilt) BuildChart(data.axes);
  const bool sameSeries = !rebuilt && SameSeries(data);
  ChartData old = std::move(data_);
  data_ = data;
  // Data made without ticks (a test's, say) gets them here.
  if (IsTime() && data_.xTicks.empty() && data_.xFrom < data_.xTo) FitTimeAxes(data_);
  const bool gapsChanged = data_.gaps != old.gaps;

  // Every change of an axis lays the chart out again: only what changed is set.
  SetTitle(x_, data_.xTitle);
  SetTitle(left_, data_.leftTitle);
  if (right_ != nullptr) {
    SetTitle(right_, data_.rightTitle);
    if (right_->isVisible() == data_.rightTitle.empty())
      right_->setVisible(!data_.rightTitle.empty());
  }
  if (auto* categories = qobject_cast<QBarCategoryAxis*>(x_)) {
    QStringList names;
    for (const std::string& name : data_.categories)
      names << QString::fromStdString(name);
    if (categories->categories() != names) {
      categories->clear();
      categories->append(names);
    }
  }
  if (!sameSeries) {
    DrawAll();
  } else {
    for (size_t i = 0; i < data_.series.size(); ++i) {
      const ChartSeries::Style style = data_.series[i].style;
      const bool breaks = style == ChartSeries::Style::Line || style == ChartSeries::Style::Band;
      if (data_.series[i] != old.series[i] || (gapsChanged && breaks)) Draw(i);
    }
  }
  if (IsTime()) {
    // One series needs no legend: the axis title names it.
    const auto named = std::count_if(data_.series.begin(), data_.series.end(),
                                     [](const ChartSeries& s) { return !Hidden(s); });
    chart()->legend()->setVisible(named > 1);
    ShowTimeAxes();
    const bool moved = data_.xFrom != old.xFrom || data_.xTo != old.xTo;
    if (gapsChanged || (moved && !data_.gaps.empty())) viewport()->update();
  } else if (following_) {
    FitAxes();
  }
}

void ChartView::DrawAll() {
  chart()->removeAllSeries();
  pieces_.assign(data_.series.size(), {});
  for (size_t i = 0; i < data_.series.size(); ++i)
    Draw(i);
}

void ChartView::Place(QAbstractSeries* series, const ChartSeries& model, bool legend) {
  QChart* chart = this->chart();
  series->setName(QString::fromStdString(model.name));
  chart->addSeries(series);
  series->attachAxis(x_);
  series->attachAxis(model.rightAxis && right_ != nullptr ? right_ : left_);
  if (!legend) HideLegend(chart, series);
}

void ChartView::Draw(size_t index) {
  const ChartSeries& s = data_.series[index];
  std::vector<QAbstractSeries*>& pieces = pieces_[index];
  QChart* chart = this->chart();
  const QColor colour = Readable(s.colour);
  const bool polar = axes_ == ChartData::Axes::Polar;
  const auto yOf = [polar](double y) { return polar ? Zenith(y) : y; };

  switch (s.style) {
    case ChartSeries::Style::Line: {
      // A line a run between gaps; the first one carries the legend entry, even while empty.
      const auto runs = ContinuousRuns(s.points, data_.gaps);
      Resize(pieces, std::max<size_t>(runs.size(), 1), chart, [&](size_t k) {
        auto* line = new QLineSeries;
        Place(line, s, k == 0 && !Hidden(s));
        return line;
      });
      for (size_t k = 0; k < pieces.size(); ++k) {
        auto* line = static_cast<QLineSeries*>(pieces[k]);
        QList<QPointF> points;
        if (k < runs.size()) {
          points.reserve(static_cast<qsizetype>(runs[k].second - runs[k].first));
          for (size_t i = runs[k].first; i < runs[k].second; ++i)
            points.append({s.points[i].x, yOf(s.points[i].y)});
        }
        line->setColor(colour);
        line->replace(points);
      }
      break;
    }
    case ChartSeries::Style::Band: {
      // The area does not own its boundary lines: as its children they go with it.
      const auto runs = ContinuousRuns(s.points, data_.gaps);
      Resize(pieces, std::max<size_t>(runs.size(), 1), chart, [&](size_t) {
        auto* area = new QAreaSeries;
        area->setUpperSeries(new QLineSeries(area));
        area->setLowerSeries(new QLineSeries(area));
        area->setPen(Qt::NoPen);
        Place(area, s, false);
        return area;
      });
      QColor fill = colour;
      fill.setAlphaF(kBandAlpha);
      for (size_t k = 0; k < pieces.size(); ++k) {
        auto* area = static_cast<QAreaSeries*>(pieces[k]);
        QList<QPointF> upper;
        QList<QPointF> lower;
        if (k < runs.size()) {
          for (size_t i = runs[k].first; i < runs[k].second; ++i) {
            upper.append({s.points[i].x, s.points[i].high});
            lower.append({s.points[i].x, s.points[i].low});
          }
        }
        area->setBrush(fill);
        area->upperSeries()->replace(upper);
        area->lowerSeries()->replace(lower);
      }
      break;
    }
    case ChartSeries::Style::ErrorBars: {
      Resize(pieces, s.points.size(), chart, [&](size_t) {
        auto* bar = new QLineSeries;
        Place(bar, s, false);
        return bar;
      });
      for (size_t k = 0; k < pieces.size(); ++k) {
        auto* bar = static_cast<QLineSeries*>(pieces[k]);
        const ChartPoint& p = s.points[k];
        bar->setColor(colour);
        bar->replace(QList<QPointF>{{p.x, p.low}, {p.x, p.high}});
      }
      break;
    }
    case ChartSeries::Style::Points: {
      const auto shape = s.marker == ChartSeries::Marker::Square
                             ? QScatterSeries::MarkerShapeRectangle
                             : QScatterSeries::MarkerShapeCircle;
      // The legend entry: an empty series with the marker; each point is its own series, so that
      // it carries its own label and colour.
      Resize(pieces, s.points.size() + 1, chart, [&](size_t k) {
        auto* point = new QScatterSeries;
        point->setMarkerShape(shape);
        point->setMarkerSize(kMarkerSize);
        if (k == 0) point->setColor(Qt::gray);
        Place(point, s, k == 0);
        return point;
      });
      const QColor text = palette().color(QPalette::WindowText);
      for (size_t k = 0; k < s.points.size(); ++k) {
        auto* point = static_cast<QScatterSeries*>(pieces[k + 1]);
        point->setColor(k < s.colours.size() ? Readable(s.colours[k]) : colour);
        point->replace(QList<QPointF>{{s.points[k].x, yOf(s.points[k].y)}});
        const bool labelled = k < s.labels.size();
        if (labelled) {
          point->setPointLabelsFormat(QString::fromStdString(s.labels[k]));
          point->setPointLabelsColor(text);
          point->setPointLabelsClipping(false);
        }
        point->setPointLabelsVisible(labelled);
      }
      break;
    }
    case ChartSeries::Style::Bars: {
      if (pieces.empty()) {
        auto* bars = new QBarSeries;
        bars->append(new QBarSet(QString::fromStdString(s.name)));
        Place(bars, s, true);
        pieces.push_back(bars);
      }
      QBarSet* set = static_cast<QBarSeries*>(pieces.front())->barSets().front();
      set->setColor(colour);
      if (set->count() != static_cast<qsizetype>(s.points.size())) {
        set->remove(0, set->count());
        for (const ChartPoint& p : s.points)
          set->append(p.y);
      } else {
        for (size_t k = 0; k < s.points.size(); ++k) {
          if (set->at(static_cast<qsizetype>(k)) != s.points[k].y) {
            set->replace(static_cast<qsizetype>(k), s.points[k].y);
          }
        }
      }
      break;
    }
  }
}

void ChartView::ShowTimeAxes() {
  auto* time = static_cast<QCategoryAxis*>(x_);
  if (!(data_.xFrom < data_.xTo)) return;
  if (data_.xTicks != shownTicks_) {
    for (const QString& label : time->categoriesLabels())
      time->remove(label);
    time->setStartValue(data_.xFrom);
    for (const ChartTick& tick : data_.xTicks)
      time->append(QString::fromStdString(tick.label), tick.value);
    shownTicks_ = data_.xTicks;
  }
  if (time->min() != data_.xFrom || time->max() != data_.xTo) {
    time->setRange(data_.xFrom, data_.xTo);
  }
  ShowScale(static_cast<QValueAxis*>(left_), data_.leftScale);
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
      // Signal levels: 0 to 25 in steps of 5, further in the steps of a count.
      ShowScale(static_cast<QValueAxis*>(left_),
                yHigh <= 25 ? ChartScale{0, 25, 5, 0} : NiceScale(0, yHigh, true));
      break;
    }
    case ChartData::Axes::Time:
    case ChartData::Axes::Polar:
      break;
  }
}

// ---- Gaps ---------------------------------------------------------------------------------------

QRectF ChartView::PlotInView() const {
  return QRectF(mapFromScene(chart()->mapRectToScene(chart()->plotArea())).boundingRect());
}

namespace {

QList<QRectF> BandsIn(const QRectF& plot, const ChartData& data) {
  QList<QRectF> bands;
  const double range = data.xTo - data.xFrom;
  if (!(range > 0)) return bands;
  const auto at = [&](double x) {
    return std::clamp(plot.left() + (x - data.xFrom) / range * plot.width(), plot.left(),
                      plot.right());
  };
  for (const ChartInterval& gap : data.gaps) {
    const qreal from = at(gap.from);
    const qreal to = at(gap.to);
    if (to > from) bands.append(QRectF(from, plot.top(), to - from, plot.height()));
  }
  return bands;
}

}  // namespace

QList<QRectF> ChartView::GapBands() const {
  if (!IsTime()) return {};
  return BandsIn(PlotInView(), data_);
}

void ChartView::drawForeground(QPainter* painter, const QRectF& rect) {
  QChartView::drawForeground(painter, rect);
  if (!IsTime() || data_.gaps.empty()) return;
  QColor shade = palette().color(QPalette::WindowText);
  shade.setAlphaF(kGapAlpha);
  painter->save();
  painter->setPen(Qt::NoPen);
  painter->setBrush(shade);
  for (const QRectF& band : BandsIn(chart()->mapRectToScene(chart()->plotArea()), data_))
    painter->drawRect(band);
  painter->restore();
}

// ---- Zoom and pan -------------------------------------------------------------------------------

double ChartView::TimeAt(qreal viewX) const {
  const QRectF plot = PlotInView();
  if (!(plot.width() > 0)) return data_.xFrom;
  return data_.xFrom + (viewX - plot.left()) / plot.width() * (data_.xTo - data_.xFrom);
}

void ChartView::ZoomTo(double from, double to) {
  if (!(from < to)) return;
  if (OnZoom) {
    OnZoom(ChartZoom{false, from, to});
    return;
  }
  data_.xFrom = from;
  data_.xTo = to;
  FitTimeAxes(data_);
  ShowTimeAxes();
  viewport()->update();
}

void ChartView::wheelEvent(QWheelEvent* event) {
  if (!Zoomable() || event->angleDelta().y() == 0) return QChartView::wheelEvent(event);
  const qreal factor = event->angleDelta().y() > 0 ? kWheelZoom : 1 / kWheelZoom;
  const qreal x = event->position().x();
  if (IsTime()) {
    const double at = TimeAt(x);
    ZoomTo(at - (at - data_.xFrom) * factor, at + (data_.xTo - at) * factor);
  } else {
    const QRectF plot = chart()->plotArea();
    QRectF zoomed = plot;
    zoomed.setLeft(x - (x - plot.left()) * factor);
    zoomed.setRight(x + (plot.right() - x) * factor);
    chart()->zoomIn(zoomed);
    following_ = false;
  }
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
  if (IsTime() && event->button() == Qt::LeftButton) {
    const QRectF plot = PlotInView();
    selecting_ = true;
    selectFrom_ = std::clamp(event->position().x(), plot.left(), plot.right());
    rubberBand_->setGeometry(QRectF(selectFrom_, plot.top(), 0, plot.height()).toRect());
    rubberBand_->show();
    event->accept();
    return;
  }
  QChartView::mousePressEvent(event);
}

void ChartView::mouseMoveEvent(QMouseEvent* event) {
  if (panning_) {
    const QPoint at = event->position().toPoint();
    const QPoint step = at - panFrom_;
    panFrom_ = at;
    if (IsTime()) {
      const QRectF plot = PlotInView();
      if (plot.width() > 0) {
        const double seconds = step.x() / plot.width() * (data_.xTo - data_.xFrom);
        ZoomTo(data_.xFrom - seconds, data_.xTo - seconds);
      }
    } else {
      chart()->scroll(-step.x(), step.y());
      following_ = false;
    }
    event->accept();
    return;
  }
  if (selecting_) {
    const QRectF plot = PlotInView();
    const qreal x = std::clamp(event->position().x(), plot.left(), plot.right());
    rubberBand_->setGeometry(
        QRectF(std::min(x, selectFrom_), plot.top(), std::fabs(x - selectFrom_), plot.height())
            .toRect());
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
  if (selecting_ && event->button() == Qt::LeftButton) {
    selecting_ = false;
    rubberBand_->hide();
    const QRectF plot = PlotInView();
    const qreal x = std::clamp(event->position().x(), plot.left(), plot.right());
    if (std::fabs(x - selectFrom_) >= kLeastDrag) {
      ZoomTo(TimeAt(std::min(x, selectFrom_)), TimeAt(std::max(x, selectFrom_)));
    }
    event->accept();
    return;
  }
  if (IsTime()) {
    // The right button shows twice the range around its middle.
    if (event->button() == Qt::RightButton) {
      const double middle = (data_.xFrom + data_.xTo) / 2;
      const double width = data_.xTo - data_.xFrom;
      ZoomTo(middle - width, middle + width);
    }
    event->accept();
    return;
  }
  // The rubber band of a log-log chart zooms in on release of the left button, the right button
  // zooms out.
  if (Zoomable() && (event->button() == Qt::LeftButton || event->button() == Qt::RightButton)) {
    following_ = false;
  }
  QChartView::mouseReleaseEvent(event);
}

void ChartView::mouseDoubleClickEvent(QMouseEvent* event) {
  event->accept();
  if (IsTime()) {
    selecting_ = false;
    rubberBand_->hide();
    if (OnZoom) OnZoom(ChartZoom{});
    return;
  }
  following_ = true;
  chart()->zoomReset();
  FitAxes();
}

}  // namespace zelkon::gui
