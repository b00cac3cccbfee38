// The real windows, built from their .ui files and bound to a fresh application on test seams.
#include <gmock/gmock.h>

#include <QAction>
#include <QComboBox>
#include <QEnterEvent>
#include <QLabel>
#include <QTest>

#include "led_widget.h"
#include "receiver/receiver_type.h"
#include "support/test_rig.h"
#include "windows.h"

namespace zelkon::gui {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using zelkon::testing::PacketBytes;

class MainWindowTest : public ::testing::Test {
 protected:
  // Creates and binds every window, opens the port and shows the main window as the active one.
  void Open(bool engineeringMode = false) {
    rig.app.state.EngineeringMode = engineeringMode;
    windows = CreateWindows(rig.app);
    ASSERT_FALSE(windows.empty());
    ASSERT_TRUE(rig.Start());
    // The start-up set-up and the poll loop would run on real timers here; these tests drive the
    // windows only.
    rig.app.Form_Main.TimerBreak.SetEnabled(false);
    rig.app.Form_Main.Timer_RXBIN.SetEnabled(false);
    rig.app.Form_Main.Show();
    main = windows.front().widget.get();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main));
    rig.port.ClearWrites();
  }

  template <class W>
  W* MainWidget(const char* name) {
    W* widget = main->findChild<W*>(name);
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  QAction* Action(const char* name) { return MainWidget<QAction>(name); }
  QWidget* WindowOf(const Form& form) {
    for (BoundWindow& window : windows) {
      if (&window.binder->form() == &form) return window.widget.get();
    }
    ADD_FAILURE() << "no window for " << form.ClassName();
    return nullptr;
  }
  void Hover(QWidget* widget) {
    QEnterEvent event(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QCoreApplication::sendEvent(widget, &event);
  }

  zelkon::testing::TestRig rig;
  std::vector<BoundWindow> windows;
  QWidget* main = nullptr;
};

TEST_F(MainWindowTest, F2SendsTheBroadcastMaskInEveryMode) {
  ASSERT_NO_FATAL_FAILURE(Open());
  QTest::keyClick(main, Qt::Key_F2);
  EXPECT_THAT(rig.port.SentPackets(), ElementsAre(PacketBytes{0x8E, 0xA5, 0x32, 0xE1, 0x00, 0x00}));
  EXPECT_FALSE(Action("ControlPacketsOn")->isVisible());
}

TEST_F(MainWindowTest, SiCodeKeysSendNothingOutsideEngineeringMode) {
  ASSERT_NO_FATAL_FAILURE(Open(false));
  for (Qt::Key key : {Qt::Key_F6, Qt::Key_F8, Qt::Key_F9})
    QTest::keyClick(main, key);
  EXPECT_THAT(rig.port.SentPackets(), IsEmpty());
}

TEST_F(MainWindowTest, EngineeringModeShowsItsItemsAndItsKeysSendTheirCodes) {
  ASSERT_NO_FATAL_FAILURE(Open(true));
  EXPECT_TRUE(Action("ViewDiagnostics")->isVisible());
  EXPECT_TRUE(Action("ViewTestModes")->isVisible());
  for (Qt::Key key : {Qt::Key_F6, Qt::Key_F8, Qt::Key_F9})
    QTest::keyClick(main, key);
  EXPECT_THAT(rig.port.SentPackets(),
              ElementsAre(PacketBytes{0x8E, 0xAF, 0x06}, PacketBytes{0x8E, 0xAF, 0x08},
                          PacketBytes{0x8E, 0xAF, 0x09}));
}

TEST_F(MainWindowTest, ColdResetSendsOnlyWhenConfirmed) {
  ASSERT_NO_FATAL_FAILURE(Open());
  rig.app.Form_Main.Panel_TOW.SetCaption("345600");
  rig.dialogs.Answer(Answer::No);
  Action("ControlCold")->trigger();
  EXPECT_THAT(rig.port.SentPackets(), IsEmpty());
  EXPECT_EQ(MainWidget<QLabel>("Panel_TOW")->text(), "345600");

  rig.dialogs.Answer(Answer::Yes);
  Action("ControlCold")->trigger();
  EXPECT_THAT(rig.port.SentPackets(), ElementsAre(PacketBytes{0x1E, 0x4B}));
  ASSERT_EQ(rig.dialogs.Boxes().size(), 2U);
  EXPECT_EQ(rig.dialogs.Boxes()[1].text, "Do you really want to clear RAM?");
  EXPECT_EQ(rig.dialogs.Boxes()[1].caption, "Cold reset?");
  // The display is cleared, and the widgets show it.
  EXPECT_EQ(MainWidget<QLabel>("Panel_TOW")->text(), "");
  EXPECT_EQ(MainWidget<QLabel>("Panel_SV7")->text(), "0");
}

TEST_F(MainWindowTest, PanelsAndLedsShowWhatTheModelHolds) {
  ASSERT_NO_FATAL_FAILURE(Open());
  TForm_Main& f = rig.app.Form_Main;
  EXPECT_EQ(MainWidget<QLabel>("Panel_Serial")->text(), "COM1 9600, 8-Odd-1");
  f.Panel_PPSOffset.SetCaption("-12.34");
  f.Panel_PPSOffset.SetColor(colours::kButtonFace);
  auto* offset = MainWidget<QLabel>("Panel_PPSOffset");
  EXPECT_EQ(offset->text(), "-12.34");
  EXPECT_EQ(offset->palette().color(QPalette::Window),
            QApplication::palette().color(QPalette::Button));
  f.Shape_RxLED.SetBrushColor(colours::kGreen);
  EXPECT_EQ(MainWidget<LedWidget>("Shape_RxLED")->color(), QColor(0, 255, 0));
}

TEST_F(MainWindowTest, EngineeringItemsAppearOnlyInEngineeringMode) {
  ASSERT_NO_FATAL_FAILURE(Open(false));
  EXPECT_FALSE(Action("ViewDiagnostics")->isVisible());
  EXPECT_FALSE(Action("ViewTestModes")->isVisible());
  EXPECT_TRUE(Action("ViewTrack")->isVisible());
  rig.app.Form_Main.ViewDiagnostics.SetVisible(true);
  EXPECT_TRUE(Action("ViewDiagnostics")->isVisible());
}

TEST_F(MainWindowTest, ReceiverTypeRespacesTheAlarmRowsAndChecksItsItem) {
  ASSERT_NO_FATAL_FAILURE(Open());
  auto* bit5 = MainWidget<LedWidget>("Shape_Bit5");
  auto* label5 = MainWidget<QLabel>("Label_MA5");
  EXPECT_EQ(bit5->pos(), QPoint(8, 74));
  ConfigureReceiverType(rig.app, kTypeHarvane);
  EXPECT_EQ(bit5->pos(), QPoint(8, 48));
  EXPECT_EQ(label5->pos(), QPoint(26, 46));
  EXPECT_EQ(MainWidget<LedWidget>("Shape_Bit3")->y(), 29);
  EXPECT_EQ(MainWidget<LedWidget>("Shape_Bit10")->y(), 145);
  EXPECT_TRUE(MainWidget<LedWidget>("Shape_Bit1")->isHidden());
  EXPECT_TRUE(MainWidget<QLabel>("Label_MA2")->isHidden());
  EXPECT_TRUE(Action("RecTypeT2KHV")->isChecked());
  EXPECT_FALSE(Action("RecTypeT2K")->isChecked());
  EXPECT_FALSE(Action("ControlPollingTimingPkts")->isVisible());
}

TEST_F(MainWindowTest, HoveredControlsShowTheirHintInTheStatusField) {
  ASSERT_NO_FATAL_FAILURE(Open());
  auto* hint = MainWidget<QLabel>("Panel_Hint");
  Hover(MainWidget<LedWidget>("Shape_Bit9"));
  EXPECT_EQ(hint->text(), "When yellow, the position accuracy is questionable");
  Hover(MainWidget<QLabel>("Panel_Time"));
  EXPECT_EQ(hint->text(), "Time: Packet 8F-AB");
  Hover(MainWidget<QLabel>("label_SVHead"));
  EXPECT_EQ(hint->text(), "Satellite Vehicle");
  // A secondary window's controls write into the main window's status field too.
  QWidget* raw = WindowOf(rig.app.Form_RawMeas);
  ASSERT_NE(raw, nullptr);
  Hover(raw->findChild<QLabel*>("Panel_Doppler"));
  EXPECT_EQ(hint->text(), "Raw Measurement Data: Packet 0x5A");
}

TEST_F(MainWindowTest, ClickingTheLatitudeFieldTogglesTheLatitudeStyle) {
  ASSERT_NO_FATAL_FAILURE(Open());
  const bool before = rig.app.state.LatLonDegMin;
  QTest::mouseClick(MainWidget<QLabel>("Panel_Latitude"), Qt::LeftButton);
  EXPECT_NE(rig.app.state.LatLonDegMin, before);
  QTest::mouseClick(MainWidget<QLabel>("Panel_Longitude"), Qt::LeftButton);
  EXPECT_EQ(rig.app.state.LatLonDegMin, before);
}

TEST_F(MainWindowTest, ASatelliteSelectionFiresTheListsChangeHandler) {
  ASSERT_NO_FATAL_FAILURE(Open());
  TForm_EphemStat& ephemeris = rig.app.Form_EphemStat;
  std::vector<std::string> seen;
  const Handler original = ephemeris.ComboBox_SV.OnChange;
  ephemeris.ComboBox_SV.OnChange = [&] {
    seen.push_back(ephemeris.ComboBox_SV.Text());
    if (original) original();
  };
  ephemeris.Show();
  QWidget* window = WindowOf(ephemeris);
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  auto* combo = window->findChild<QComboBox*>("ComboBox_SV");
  ASSERT_NE(combo, nullptr);
  QTest::keyClick(combo, Qt::Key_Down);
  QTest::keyClick(combo, Qt::Key_Down);
  EXPECT_THAT(seen, ElementsAre("2", "3"));
  EXPECT_EQ(ephemeris.ComboBox_SV.ItemIndex(), 2);
}

TEST_F(MainWindowTest, EveryWindowOpensActivatesAndCloses) {
  ASSERT_NO_FATAL_FAILURE(Open());
  for (BoundWindow& window : windows) {
    Form& form = window.binder->form();
    if (&form == &rig.app.Form_Main) continue;
    SCOPED_TRACE(form.ClassName());
    int activations = 0;
    int closes = 0;
    const Handler activate = form.OnActivate;
    const Handler close = form.OnClose;
    form.OnActivate = [&] {
      ++activations;
      if (activate) activate();
    };
    form.OnClose = [&] {
      ++closes;
      if (close) close();
    };
    form.Show();
    EXPECT_TRUE(window.widget->isVisible());
    EXPECT_EQ(window.widget->windowTitle(), QString::fromStdString(form.Caption()));
    EXPECT_TRUE(QTest::qWaitForWindowActive(window.widget.get()));
    EXPECT_GE(activations, 1);
    EXPECT_FALSE(window.widget->close());  // the close button: the model hides the window
    EXPECT_EQ(closes, 1);
    EXPECT_FALSE(form.Visible());
    EXPECT_FALSE(window.widget->isVisible());
    form.OnActivate = activate;
    form.OnClose = close;
  }
}

TEST_F(MainWindowTest, EscapeClosesADialogThroughItsModel) {
  ASSERT_NO_FATAL_FAILURE(Open());
  int closes = 0;
  rig.app.Form_Product.OnClose = [&] { ++closes; };
  rig.app.Form_Product.Show();
  QWidget* product = WindowOf(rig.app.Form_Product);
  ASSERT_TRUE(QTest::qWaitForWindowActive(product));
  QTest::keyClick(product, Qt::Key_Escape);
  EXPECT_FALSE(product->isVisible());
  EXPECT_FALSE(rig.app.Form_Product.Visible());
  EXPECT_EQ(closes, 1);
}

}  // namespace
}  // namespace zelkon::gui
