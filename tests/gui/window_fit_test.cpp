// Every window opens within the screen's free area, at the screen's size and scale the X server
// under test has (tests/gui/window_fit.sh runs this under Xvfb at 1024x768, and again at a scale of
// 2), and opens again where it was left.
#include <gmock/gmock.h>

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QScreen>

#include "chart_view.h"
#include "main/comm_form.h"
#include "support/test_rig.h"
#include "windows.h"

namespace zelkon::gui {
namespace {

// Opens the windows as the operator does: every menu item of every menu of the main window, and
// the windows no item opens (in engineering mode, so that its items open theirs too).
TEST(WindowFit, EveryWindowOpensWithinTheScreenAndWhereItWasLeft) {
  if (QGuiApplication::platformName() != "xcb") {
    GTEST_SKIP() << "needs an X server: run by tests/gui/window_fit.sh under Xvfb";
  }
  zelkon::testing::TestRig rig;
  rig.app.state.EngineeringMode = true;
  std::vector<BoundWindow> windows = CreateWindows(rig.app);
  rig.app.Form_Main.Show();
  for (QMenu* menu : windows.front().widget->findChildren<QMenu*>()) {
    for (QAction* action : menu->actions()) {
      if (action->isSeparator() || action->menu() != nullptr ||
          !action->objectName().startsWith("View")) {
        continue;
      }
      action->setVisible(true);
      action->trigger();
    }
  }
  for (Form* form : rig.app.Forms())
    form->Show();
  QApplication::processEvents();

  int checked = 0;
  for (BoundWindow& window : windows) {
    QWidget& widget = *window.widget;
    SCOPED_TRACE(window.binder->form().ClassName());
    ASSERT_TRUE(widget.isVisible());
    const QRect available = widget.screen()->availableGeometry();
    // Without a window manager the frame is the window; with one, the frame it draws.
    EXPECT_TRUE(available.contains(widget.frameGeometry()))
        << "frame " << widget.frameGeometry().x() << "," << widget.frameGeometry().y() << " "
        << widget.frameGeometry().width() << "x" << widget.frameGeometry().height() << " outside "
        << available.width() << "x" << available.height();
    ++checked;
  }
  EXPECT_GE(checked, 30);
  // A window made smaller keeps its content whole, laid out, in its scroll area: the six charts
  // of the charts window each shown at a usable size.
  for (BoundWindow& window : windows) {
    if (window.binder->form().ClassName() != "TForm_Charts") continue;
    const QList<ChartView*> charts = window.widget->findChildren<ChartView*>();
    EXPECT_EQ(charts.size(), 6);
    for (ChartView* chart : charts) {
      EXPECT_TRUE(chart->isVisible()) << chart->objectName().toStdString();
      EXPECT_GE(chart->width(), 150) << chart->objectName().toStdString();
    }
  }

  // Moved and closed, a window opens where it was left.
  Form& product = rig.app.Form_Product;
  QWidget* productWidget = nullptr;
  for (BoundWindow& window : windows) {
    if (&window.binder->form() == &product) productWidget = window.widget.get();
  }
  ASSERT_NE(productWidget, nullptr);
  const QRect available = productWidget->screen()->availableGeometry();
  productWidget->move(available.topLeft());
  QApplication::processEvents();
  const QRect left = productWidget->geometry();
  product.Close();
  windows.clear();  // the program ends
  std::vector<BoundWindow> again = CreateWindows(rig.app);
  product.Show();
  QApplication::processEvents();
  for (BoundWindow& window : again) {
    if (&window.binder->form() == &product) {
      EXPECT_EQ(window.widget->geometry().topLeft(), left.topLeft());
    }
  }

  // The port chooser shows its texts whole, a refusal of two lines too.
  TForm_Comm chooser;
  BoundWindow chooserWindow = CreateBoundWindow(*FindWindowType("TForm_Comm"), chooser, nullptr);
  chooser.Label_Error.SetCaption(
      "Remote port: an IPv6 address is written in brackets: rfc2217://[::1]:2000");
  chooser.Show();
  QApplication::processEvents();
  for (const QLabel* label : chooserWindow.widget->findChildren<QLabel*>()) {
    EXPECT_GE(label->width(), label->minimumSizeHint().width())
        << label->objectName().toStdString();
    EXPECT_GE(label->height(), label->heightForWidth(label->width()))
        << label->objectName().toStdString();
  }
}

}  // namespace
}  // namespace zelkon::gui
