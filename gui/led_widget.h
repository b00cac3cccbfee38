// The LEDs of the windows: a small filled circle in the brush colour, with a dark rim.
#pragma once

#include <QColor>
#include <QWidget>

namespace zelkon::gui {

class LedWidget : public QWidget {
  Q_OBJECT
  Q_PROPERTY(QColor color READ color WRITE setColor)

 public:
  explicit LedWidget(QWidget* parent = nullptr);

  QColor color() const { return color_; }
  void setColor(const QColor& color);

  QSize sizeHint() const override { return {13, 13}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor color_{0x80, 0x80, 0x80};
};

}  // namespace zelkon::gui
