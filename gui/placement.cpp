#include "placement.h"

#include <QDialog>
#include <QLayout>
#include <QMainWindow>
#include <QScrollArea>
#include <QVBoxLayout>
#include <cstdio>

namespace zelkon::gui {
namespace {

QScrollArea* NewScrollArea(QWidget* parent) {
  auto* scroll = new QScrollArea(parent);
  scroll->setObjectName("zelkon_scroll");
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidgetResizable(true);
  return scroll;
}

// Puts what the window shows into a scroll area: a main window's central widget, or every child
// of any other window with the layout that arranges them, if it has one.
void ScrollContent(QWidget& window) {
  if (window.findChild<QScrollArea*>("zelkon_scroll", Qt::FindDirectChildrenOnly) != nullptr) {
    return;
  }
  if (auto* main = qobject_cast<QMainWindow*>(&window)) {
    QWidget* central = main->takeCentralWidget();
    if (central == nullptr) return;
    if (central->layout() == nullptr) central->setMinimumSize(central->size());
    QScrollArea* scroll = NewScrollArea(main);
    scroll->setWidget(central);
    main->setCentralWidget(scroll);
    return;
  }
  auto* content = new QWidget;
  // A layout moves first, with every widget it arranges (a widget may take the layout of
  // another); widgets placed by coordinates follow, where they were. Laid out by coordinates, the
  // content keeps the window's size; a layout keeps its own minimum.
  if (QLayout* layout = window.layout()) {
    content->setLayout(layout);
  } else {
    content->setMinimumSize(window.size());
  }
  for (QObject* child : window.children()) {
    auto* widget = qobject_cast<QWidget*>(child);
    if (widget == nullptr || widget->isWindow()) continue;
    const QRect geometry = widget->geometry();
    const bool visible = !widget->isHidden();
    widget->setParent(content);
    widget->setGeometry(geometry);
    widget->setVisible(visible);
  }
  QScrollArea* scroll = NewScrollArea(&window);
  scroll->setWidget(content);
  auto* outer = new QVBoxLayout(&window);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->addWidget(scroll);
}

}  // namespace

void FitWithin(QWidget& window, const QRect& available) {
  const QSize room(available.width() - kFrameAllowanceWidth,
                   available.height() - kFrameAllowanceHeight);
  const QSize size = window.size();
  if (size.width() <= room.width() && size.height() <= room.height()) return;
  const QSize maximum = window.maximumSize();
  ScrollContent(window);
  window.setMinimumSize(window.minimumSize().boundedTo(room));
  // Its old size stays reachable by enlarging it.
  window.setMaximumSize(maximum.expandedTo(size));
  window.resize(size.boundedTo(room));
}

QRect MovedWithin(QRect frame, const QRect& available) {
  if (frame.right() > available.right()) frame.moveRight(available.right());
  if (frame.bottom() > available.bottom()) frame.moveBottom(available.bottom());
  if (frame.left() < available.left()) frame.moveLeft(available.left());
  if (frame.top() < available.top()) frame.moveTop(available.top());
  return frame;
}

std::optional<QRect> StoredGeometry(SettingsStore& settings, const std::string& className) {
  const std::optional<std::string> text = settings.Read("Geometry/" + className);
  if (!text) return std::nullopt;
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  char extra = 0;
  if (std::sscanf(text->c_str(), "%d,%d,%d,%d%c", &x, &y, &width, &height, &extra) != 4 ||
      width <= 0 || height <= 0) {
    return std::nullopt;
  }
  return QRect(x, y, width, height);
}

void StoreGeometry(SettingsStore& settings, const std::string& className, const QRect& geometry) {
  settings.Write("Geometry/" + className,
                 std::to_string(geometry.x()) + "," + std::to_string(geometry.y()) + "," +
                     std::to_string(geometry.width()) + "," + std::to_string(geometry.height()));
}

}  // namespace zelkon::gui
