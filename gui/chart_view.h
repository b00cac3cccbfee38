// The widget of a chart control: draws a ChartData with Qt Charts. Time and log-log charts zoom
// with the mouse (drag a rectangle; the wheel zooms the time axis; right button zooms out), pan
// with the middle button or Shift and the left button, and follow the data again on a double
// click. While zoomed or panned, new data keeps the operator's view.
#pragma once

#include <QChartView>
#include <QPoint>
#include <vector>

#include "model/chart.h"

class QAbstractAxis;

namespace zelkon::gui {

class ChartView : public QChartView {
  Q_OBJECT

 public:
  explicit ChartView(QWidget* parent = nullptr);

  void SetData(const ChartData& data);
  // The operator has zoomed or panned: new data keeps the view.
  bool Following() const { return following_; }

 protected:
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  void BuildAxes(ChartData::Axes axes);
  void AddSeries(const ChartSeries& series);
  void FitAxes();
  bool Zoomable() const;
  // A time axis value: UTC seconds as the milliseconds the axis shows as that UTC.
  qreal TimeX(double unixSeconds) const;

  ChartData data_;
  bool hasAxes_ = false;
  ChartData::Axes axes_ = ChartData::Axes::Time;
  QAbstractAxis* x_ = nullptr;
  QAbstractAxis* left_ = nullptr;
  QAbstractAxis* right_ = nullptr;
  qint64 offsetMs_ = 0;
  bool following_ = true;
  bool panning_ = false;
  QPoint panFrom_;
};

}  // namespace zelkon::gui
