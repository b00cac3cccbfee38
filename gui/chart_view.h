// The widget of a chart control: draws a ChartData with Qt Charts, in the colours of the
// widget's palette (dark or light).
//
// A time chart draws the range and the ticks its data brings, breaks its lines at the gaps of the
// data and shades each gap. The operator's zoom is the model's: dragging a range with the left
// button zooms in, the wheel zooms around the mouse, the right button zooms out, the middle button
// (or Shift and the left button) pans, and a double click returns to following the newest data;
// each is handed to OnZoom, and the window's handlers draw that range on every time chart.
//
// A log-log chart zooms on its own (drag a rectangle, the wheel, the right button out) and fits
// its data again on a double click; while zoomed, new data keeps the operator's view.
//
// A refresh updates only the series whose points changed, in place: the series objects, the axes
// and the layout stay as they are.
#pragma once

#include <QChartView>
#include <QList>
#include <QPoint>
#include <QRectF>
#include <functional>
#include <vector>

#include "model/chart.h"

class QAbstractAxis;
class QAbstractSeries;
class QRubberBand;

namespace zelkon::gui {

class ChartView : public QChartView {
  Q_OBJECT

 public:
  explicit ChartView(QWidget* parent = nullptr);

  void SetData(const ChartData& data);
  // Time charts: the operator zoomed or panned to a range of time, or asked to follow the newest
  // data again. Without a handler the view shows the range itself.
  std::function<void(const ChartZoom&)> OnZoom;
  // Log-log charts: fitted to their data (not zoomed by the operator).
  bool Following() const { return following_; }
  // The shaded gaps as drawn, in the view's coordinates.
  QList<QRectF> GapBands() const;

 protected:
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void drawForeground(QPainter* painter, const QRectF& rect) override;
  void changeEvent(QEvent* event) override;

 private:
  // The Qt series one model series is drawn with: a line or a band a run between gaps, an error
  // bar or a marker a point (after the marker of the legend), one bar series.
  using Pieces = std::vector<QAbstractSeries*>;

  void BuildChart(ChartData::Axes axes);
  void ApplyPalette();
  QColor Readable(Colour colour) const;
  bool SameSeries(const ChartData& data) const;
  void DrawAll();
  void Draw(size_t index);
  void Place(QAbstractSeries* series, const ChartSeries& model, bool legend);
  void Remove(QAbstractSeries* series);
  void ShowTimeAxes();
  void FitAxes();
  bool Zoomable() const;
  bool IsTime() const { return axes_ == ChartData::Axes::Time; }
  QRectF PlotInView() const;
  double TimeAt(qreal viewX) const;
  void ZoomTo(double from, double to);

  ChartData data_;
  std::vector<Pieces> pieces_;
  bool hasChart_ = false;
  ChartData::Axes axes_ = ChartData::Axes::Time;
  QAbstractAxis* x_ = nullptr;
  QAbstractAxis* left_ = nullptr;
  QAbstractAxis* right_ = nullptr;
  std::vector<ChartTick> shownTicks_;
  bool dark_ = false;
  bool following_ = true;
  bool panning_ = false;
  QPoint panFrom_;
  QRubberBand* rubberBand_ = nullptr;
  bool selecting_ = false;
  qreal selectFrom_ = 0;
};

}  // namespace zelkon::gui
