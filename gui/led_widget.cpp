#include "led_widget.h"

#include <QPainter>

namespace zelkon::gui {

LedWidget::LedWidget(QWidget* parent) : QWidget(parent) {}

void LedWidget::setColor(const QColor& color) {
  if (color_ == color) return;
  color_ = color;
  update();
}

void LedWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  // The largest circle that fits, centred; the rim is drawn half a pixel inside the edge.
  const qreal diameter = qMin(width(), height()) - 1.0;
  const QRectF circle((width() - diameter) / 2.0, (height() - diameter) / 2.0, diameter, diameter);
  painter.setPen(QPen(Qt::black, 1.0));
  painter.setBrush(color_);
  painter.drawEllipse(circle);
}

}  // namespace zelkon::gui
