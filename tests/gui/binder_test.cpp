#include "binder.h"

#include <gmock/gmock.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEnterEvent>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QToolTip>

#include "led_widget.h"

namespace zelkon::gui {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

// One control of every kind.
class TestForm final : public Form {
 public:
  TestForm() : Form("TForm_Test", "Test Window", "The window's own hint") {}

  Panel Panel_Group{*this, "Panel_Group", Design().Color(colours::kButtonFace).Hint("Group hint")};
  Panel Panel_Value{*this, "Panel_Value", Design().Text("0")};
  Label Label_Caption{*this, "Label_Caption", Design().Text("Caption").Hint("Caption hint")};
  Shape Shape_Led{*this, "Shape_Led", Design().Color(colours::kGrey)};
  Edit Edit_Value{*this, "Edit_Value", Design().Text("12")};
  ComboBox ComboBox_Choice{*this, "ComboBox_Choice",
                           Design().Items({"one", "two", "three"}).ItemIndex(0)};
  CheckBox CheckBox_Option{*this, "CheckBox_Option", Design().Text("Option")};
  RadioButton RadioButton_A{*this, "RadioButton_A", Design().Text("A").Group("g").Checked()};
  RadioButton RadioButton_B{*this, "RadioButton_B", Design().Text("B").Group("g")};
  RadioGroup RadioGroup_Mode{*this, "RadioGroup_Mode",
                             Design().Text("Mode").Items({"x", "y"}).ItemIndex(0)};
  Button Button_Apply{*this, "Button_Apply", Design().Text("&Apply")};
  Memo Memo_Log{*this, "Memo_Log"};
  TabControl TabControl_Pages{*this, "TabControl_Pages",
                              Design().Items({"1", "2", "3"}).ItemIndex(0)};
  MenuItem MenuCheck{*this, "MenuCheck", MenuDesign("&Check")};
  MenuItem MenuHidden{*this, "MenuHidden", MenuDesign("Hidden").ShortCut("F7").Hidden()};
  Timer Timer_Poll{*this, "Timer_Poll", 20};
};

template <class W>
W* Add(QWidget* parent, const char* name, QRect geometry) {
  auto* widget = new W(parent);
  widget->setObjectName(name);
  widget->setGeometry(geometry);
  return widget;
}

// The widgets of TestForm, as a .ui file would give them.
std::unique_ptr<QMainWindow> BuildWindow() {
  auto window = std::make_unique<QMainWindow>();
  auto* central = new QWidget(window.get());
  window->setCentralWidget(central);
  auto* group = Add<QLabel>(central, "Panel_Group", {0, 0, 200, 100});
  Add<QLabel>(group, "Panel_Value", {10, 10, 60, 20});
  auto* tip = Add<QLabel>(group, "label_Tip", {10, 40, 60, 20});
  tip->setStatusTip("Static caption tip");
  Add<QLabel>(group, "label_Plain", {10, 70, 60, 20});
  Add<QLabel>(central, "Label_Caption", {210, 0, 80, 20});
  Add<LedWidget>(central, "Shape_Led", {210, 30, 12, 12});
  Add<QLineEdit>(central, "Edit_Value", {210, 50, 80, 22});
  Add<QComboBox>(central, "ComboBox_Choice", {210, 80, 80, 22});
  Add<QCheckBox>(central, "CheckBox_Option", {0, 110, 90, 20});
  Add<QRadioButton>(central, "RadioButton_A", {0, 130, 60, 20});
  Add<QRadioButton>(central, "RadioButton_B", {60, 130, 60, 20});
  Add<QGroupBox>(central, "RadioGroup_Mode", {0, 150, 120, 80});
  Add<QPushButton>(central, "Button_Apply", {130, 150, 80, 26});
  Add<QPlainTextEdit>(central, "Memo_Log", {0, 240, 200, 60});
  Add<QTabBar>(central, "TabControl_Pages", {210, 110, 150, 26});
  auto* menu = window->menuBar()->addMenu("&Menu");
  for (const char* name : {"MenuCheck", "MenuHidden"}) {
    auto* action = new QAction(window.get());
    action->setObjectName(name);
    menu->addAction(action);
  }
  window->resize(400, 340);
  return window;
}

class BinderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window = BuildWindow();
    binder = std::make_unique<Binder>(form, *window, &hint);
  }
  void TearDown() override {
    binder.reset();
    window.reset();
  }

  template <class W>
  W* Widget(const char* name) {
    W* widget = window->findChild<W*>(name);
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  // Shows the window and makes it the active one, as shortcuts need.
  void ShowActive() {
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  }
  void Enter(QWidget* widget) {
    QEnterEvent event(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QCoreApplication::sendEvent(widget, &event);
  }
  void Leave(QWidget* widget) {
    QEvent event(QEvent::Leave);
    QCoreApplication::sendEvent(widget, &event);
  }

  TestForm form;
  // The status field that shows the hints, on a window of its own.
  Form statusWindow{"TForm_Status", "Status"};
  Panel hint{statusWindow, "Panel_Hint"};
  std::unique_ptr<QMainWindow> window;
  std::unique_ptr<Binder> binder;
};

QColor Base() { return QApplication::palette().color(QPalette::Base); }
QColor ButtonFace() { return QApplication::palette().color(QPalette::Button); }

TEST_F(BinderTest, DesignValuesReachTheWidgetsWhenBound) {
  EXPECT_EQ(window->windowTitle(), "Test Window");
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(Widget<QLabel>("Panel_Value")->text(), "0");
  EXPECT_EQ(Widget<QLabel>("Panel_Value")->palette().color(QPalette::Window), Base());
  EXPECT_EQ(Widget<QLabel>("Panel_Group")->palette().color(QPalette::Window), ButtonFace());
  EXPECT_TRUE(Widget<QLabel>("Panel_Group")->autoFillBackground());
  EXPECT_EQ(Widget<LedWidget>("Shape_Led")->color(), QColor(0x80, 0x80, 0x80));
  EXPECT_EQ(Widget<QLineEdit>("Edit_Value")->text(), "12");
  auto* combo = Widget<QComboBox>("ComboBox_Choice");
  EXPECT_EQ(combo->count(), 3);
  EXPECT_EQ(combo->currentIndex(), 0);
  EXPECT_TRUE(Widget<QRadioButton>("RadioButton_A")->isChecked());
  EXPECT_EQ(Widget<QPushButton>("Button_Apply")->text(), "&Apply");
  EXPECT_EQ(Widget<QTabBar>("TabControl_Pages")->count(), 3);
  auto* group = Widget<QGroupBox>("RadioGroup_Mode");
  EXPECT_EQ(group->title(), "Mode");
  const auto items = group->findChildren<QRadioButton*>();
  ASSERT_EQ(items.size(), 2);
  EXPECT_EQ(items[0]->text(), "x");
  EXPECT_TRUE(items[0]->isChecked());
  auto* hidden = window->findChild<QAction*>("MenuHidden");
  EXPECT_FALSE(hidden->isVisible());
  EXPECT_EQ(hidden->shortcut(), QKeySequence(Qt::Key_F7));
  EXPECT_EQ(window->findChild<QAction*>("MenuCheck")->text(), "&Check");
}

TEST_F(BinderTest, PanelLabelAndLedChangesAreShown) {
  auto* value = Widget<QLabel>("Panel_Value");
  form.Panel_Value.SetCaption("604799 <b>");
  EXPECT_EQ(value->text(), "604799 <b>");
  EXPECT_EQ(value->textFormat(), Qt::PlainText);
  form.Panel_Value.SetColor(colours::kButtonFace);
  EXPECT_EQ(value->palette().color(QPalette::Window), ButtonFace());
  form.Panel_Value.SetColor(Colour::Rgb(0x123456));
  EXPECT_EQ(value->palette().color(QPalette::Window), QColor(0x12, 0x34, 0x56));
  form.Panel_Value.SetColor(colours::kWindow);
  EXPECT_EQ(value->palette().color(QPalette::Window), Base());

  auto* label = Widget<QLabel>("Label_Caption");
  form.Label_Caption.SetFontColor(colours::kInactiveCaption);
  EXPECT_EQ(label->palette().color(QPalette::WindowText),
            QApplication::palette().color(QPalette::Disabled, QPalette::WindowText));
  form.Label_Caption.SetFontColor(colours::kWindowText);
  EXPECT_EQ(label->palette().color(QPalette::WindowText),
            QApplication::palette().color(QPalette::Active, QPalette::WindowText));

  form.Shape_Led.SetBrushColor(colours::kGreen);
  EXPECT_EQ(Widget<LedWidget>("Shape_Led")->color(), QColor(0, 255, 0));
  form.Shape_Led.SetBrushColor(colours::kYellow);
  EXPECT_EQ(Widget<LedWidget>("Shape_Led")->color(), QColor(255, 255, 0));
}

TEST_F(BinderTest, VisibilityEnabledStateAndTopFollowTheModel) {
  auto* value = Widget<QLabel>("Panel_Value");
  form.Panel_Value.SetVisible(false);
  EXPECT_TRUE(value->isHidden());
  form.Panel_Value.SetVisible(true);
  EXPECT_FALSE(value->isHidden());
  form.Button_Apply.SetEnabled(false);
  EXPECT_FALSE(Widget<QPushButton>("Button_Apply")->isEnabled());
  // Moving a control moves it vertically only.
  form.Panel_Value.SetTop(47);
  EXPECT_EQ(value->geometry(), QRect(10, 47, 60, 20));
}

TEST_F(BinderTest, ListsChecksMemoAndTabsFollowTheModel) {
  auto* combo = Widget<QComboBox>("ComboBox_Choice");
  form.ComboBox_Choice.SetItemIndex(2);
  EXPECT_EQ(combo->currentIndex(), 2);
  // A text that is no item shows without a selection.
  form.ComboBox_Choice.SetText("unknown");
  EXPECT_EQ(combo->currentIndex(), -1);
  EXPECT_EQ(combo->placeholderText(), "unknown");
  form.ComboBox_Choice.SetItems({"a", "b"});
  EXPECT_EQ(combo->count(), 2);
  EXPECT_EQ(combo->itemText(1), "b");

  form.CheckBox_Option.SetChecked(true);
  EXPECT_TRUE(Widget<QCheckBox>("CheckBox_Option")->isChecked());
  form.RadioButton_B.SetChecked(true);
  EXPECT_TRUE(Widget<QRadioButton>("RadioButton_B")->isChecked());
  EXPECT_FALSE(Widget<QRadioButton>("RadioButton_A")->isChecked());

  form.Memo_Log.SetText("first\r\nsecond\r\n");
  EXPECT_EQ(Widget<QPlainTextEdit>("Memo_Log")->toPlainText(), "first\nsecond\n");
  form.TabControl_Pages.SetTabIndex(2);
  EXPECT_EQ(Widget<QTabBar>("TabControl_Pages")->currentIndex(), 2);
  form.RadioGroup_Mode.SetItemIndex(1);
  const auto items = Widget<QGroupBox>("RadioGroup_Mode")->findChildren<QRadioButton*>();
  EXPECT_FALSE(items[0]->isChecked());
  EXPECT_TRUE(items[1]->isChecked());
}

TEST_F(BinderTest, UserSelectionsReachTheModelBeforeTheHandlerRuns) {
  ShowActive();
  std::vector<int> seen;
  form.ComboBox_Choice.OnChange = [&] { seen.push_back(form.ComboBox_Choice.ItemIndex()); };
  auto* combo = Widget<QComboBox>("ComboBox_Choice");
  QTest::keyClick(combo, Qt::Key_Down);
  EXPECT_THAT(seen, ElementsAre(1));
  EXPECT_EQ(form.ComboBox_Choice.Text(), "two");

  std::vector<int> tabs;
  form.TabControl_Pages.OnChange = [&] { tabs.push_back(form.TabControl_Pages.TabIndex()); };
  Widget<QTabBar>("TabControl_Pages")->setCurrentIndex(2);  // as a click on the tab does
  EXPECT_THAT(tabs, ElementsAre(2));
  // The model changing the tab is no user change.
  form.TabControl_Pages.SetTabIndex(0);
  EXPECT_THAT(tabs, ElementsAre(2));

  Widget<QGroupBox>("RadioGroup_Mode")->findChildren<QRadioButton*>()[1]->click();
  EXPECT_EQ(form.RadioGroup_Mode.ItemIndex(), 1);
}

TEST_F(BinderTest, ClicksOnButtonsChecksAndRadiosRunTheHandlers) {
  ShowActive();
  int clicks = 0;
  form.Button_Apply.OnClick = [&] { ++clicks; };
  QTest::mouseClick(Widget<QPushButton>("Button_Apply"), Qt::LeftButton);
  EXPECT_EQ(clicks, 1);

  std::vector<bool> checks;
  form.CheckBox_Option.OnClick = [&] { checks.push_back(form.CheckBox_Option.Checked()); };
  auto* check = Widget<QCheckBox>("CheckBox_Option");
  QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(5, check->height() / 2));
  EXPECT_THAT(checks, ElementsAre(true));
  EXPECT_TRUE(check->isChecked());

  int radioClicks = 0;
  form.RadioButton_B.OnClick = [&] { ++radioClicks; };
  auto* radio = Widget<QRadioButton>("RadioButton_B");
  QTest::mouseClick(radio, Qt::LeftButton, {}, QPoint(5, radio->height() / 2));
  EXPECT_TRUE(form.RadioButton_B.Checked());
  EXPECT_FALSE(form.RadioButton_A.Checked());
  EXPECT_FALSE(Widget<QRadioButton>("RadioButton_A")->isChecked());
  EXPECT_EQ(radioClicks, 1);
  // Clicking the checked radio button again leaves it checked.
  QTest::mouseClick(radio, Qt::LeftButton, {}, QPoint(5, radio->height() / 2));
  EXPECT_TRUE(radio->isChecked());
  EXPECT_TRUE(form.RadioButton_B.Checked());
}

TEST_F(BinderTest, PanelClickIsTheClickedPanelsOnly) {
  int groupClicks = 0;
  int valueClicks = 0;
  form.Panel_Group.OnClick = [&] { ++groupClicks; };
  form.Panel_Value.OnClick = [&] { ++valueClicks; };
  ShowActive();
  QTest::mouseClick(Widget<QLabel>("Panel_Value"), Qt::LeftButton);
  EXPECT_EQ(valueClicks, 1);
  EXPECT_EQ(groupClicks, 0);
  // A static caption inside the group passes the click on; it is not a click on the group.
  QTest::mouseClick(Widget<QLabel>("label_Plain"), Qt::LeftButton);
  EXPECT_EQ(groupClicks, 0);
  QTest::mouseClick(Widget<QLabel>("Panel_Group"), Qt::LeftButton, {}, QPoint(150, 50));
  EXPECT_EQ(groupClicks, 1);
  EXPECT_EQ(valueClicks, 1);
}

TEST_F(BinderTest, EditTextKeysAndExit) {
  ShowActive();
  auto* edit = Widget<QLineEdit>("Edit_Value");
  std::string typed;
  form.Edit_Value.OnKeyPress = [&](char& key) {
    typed += key;
    if (key == 'x') key = 0;    // rejected
    if (key == ',') key = '.';  // replaced
  };
  int exits = 0;
  form.Edit_Value.OnExit = [&] { ++exits; };
  edit->setFocus();
  edit->selectAll();
  QTest::keyClicks(edit, "3x,5");
  QTest::keyClick(edit, Qt::Key_Backspace);
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_EQ(typed, std::string("3x,5\b\r"));
  EXPECT_EQ(edit->text(), "3.");
  EXPECT_EQ(form.Edit_Value.Text(), "3.");
  EXPECT_EQ(exits, 0);
  Widget<QComboBox>("ComboBox_Choice")->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(exits, 1);

  form.Edit_Value.SetText("42");
  EXPECT_EQ(edit->text(), "42");
}

TEST_F(BinderTest, ClickingAButtonDoesNotLeaveTheEdit) {
  ShowActive();
  auto* edit = Widget<QLineEdit>("Edit_Value");
  int exits = 0;
  form.Edit_Value.OnExit = [&] {
    ++exits;
    form.Edit_Value.SetText("clamped");
  };
  std::string seenByApply;
  form.Button_Apply.OnClick = [&] { seenByApply = form.Edit_Value.Text(); };
  edit->setFocus();
  edit->selectAll();
  QTest::keyClicks(edit, "60");
  QTest::mouseClick(Widget<QPushButton>("Button_Apply"), Qt::LeftButton);
  EXPECT_EQ(seenByApply, "60");
  EXPECT_EQ(exits, 0);
  EXPECT_TRUE(edit->hasFocus());
  // Tab still leaves the edit.
  QTest::keyClick(edit, Qt::Key_Tab);
  EXPECT_EQ(exits, 1);
}

TEST_F(BinderTest, TypedMemoTextReachesTheModelWithItsLineEnds) {
  ShowActive();
  auto* memo = Widget<QPlainTextEdit>("Memo_Log");
  memo->setFocus();
  QTest::keyClicks(memo, "ab");
  QTest::keyClick(memo, Qt::Key_Return);
  QTest::keyClicks(memo, "c");
  EXPECT_EQ(form.Memo_Log.Text(), "ab\r\nc");
}

TEST_F(BinderTest, TheModelDecidesTheCheckMarkOfAMenuItem) {
  auto* action = window->findChild<QAction*>("MenuCheck");
  action->setCheckable(true);
  int clicks = 0;
  form.MenuCheck.OnClick = [&] { ++clicks; };
  action->trigger();  // the action toggles itself; the handler leaves the model unchecked
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(action->isChecked());
  form.MenuCheck.OnClick = [&] { form.MenuCheck.SetChecked(!form.MenuCheck.Checked()); };
  action->trigger();
  EXPECT_TRUE(form.MenuCheck.Checked());
  EXPECT_TRUE(action->isChecked());
  form.MenuCheck.SetChecked(false);
  EXPECT_FALSE(action->isChecked());
}

TEST_F(BinderTest, AHiddenMenuItemKeepsItsShortcutKey) {
  int clicks = 0;
  form.MenuHidden.OnClick = [&] { ++clicks; };
  ShowActive();
  QTest::keyClick(window.get(), Qt::Key_F7);
  EXPECT_EQ(clicks, 1);
  // Shown, the item's own action takes the key: still one click per press.
  form.MenuHidden.SetVisible(true);
  EXPECT_TRUE(window->findChild<QAction*>("MenuHidden")->isVisible());
  QTest::keyClick(window.get(), Qt::Key_F7);
  EXPECT_EQ(clicks, 2);
  // A disabled item's key does nothing, shown or hidden.
  form.MenuHidden.SetEnabled(false);
  QTest::keyClick(window.get(), Qt::Key_F7);
  form.MenuHidden.SetVisible(false);
  QTest::keyClick(window.get(), Qt::Key_F7);
  EXPECT_EQ(clicks, 2);
}

TEST_F(BinderTest, TimersRunWhileEnabled) {
  auto* timer = binder->Find<QTimer>(form.Timer_Poll);
  ASSERT_NE(timer, nullptr);
  EXPECT_FALSE(timer->isActive());
  int ticks = 0;
  form.Timer_Poll.OnTimer = [&] {
    if (++ticks == 3) form.Timer_Poll.SetEnabled(false);
  };
  form.Timer_Poll.SetEnabled(true);
  EXPECT_TRUE(timer->isActive());
  EXPECT_EQ(timer->interval(), 20);
  for (int i = 0; i < 100 && timer->isActive(); ++i)
    QTest::qWait(10);
  EXPECT_EQ(ticks, 3);
  EXPECT_FALSE(timer->isActive());
  QTest::qWait(60);
  EXPECT_EQ(ticks, 3);
}

TEST_F(BinderTest, HoveredWidgetsShowTheNearestHint) {
  Enter(Widget<QLabel>("Label_Caption"));
  EXPECT_EQ(hint.Caption(), "Caption hint");
  // A control without a hint shows its parent's.
  Enter(Widget<QLabel>("Panel_Value"));
  EXPECT_EQ(hint.Caption(), "Group hint");
  // A static caption shows its status tip.
  Enter(Widget<QLabel>("label_Tip"));
  EXPECT_EQ(hint.Caption(), "Static caption tip");
  Leave(Widget<QLabel>("label_Tip"));
  EXPECT_EQ(hint.Caption(), "Group hint");
  // Nothing on the way up has a hint: the window's own.
  Enter(Widget<QLineEdit>("Edit_Value"));
  EXPECT_EQ(hint.Caption(), "The window's own hint");
  form.Label_Caption.SetHint("");
  Enter(Widget<QLabel>("Label_Caption"));
  EXPECT_EQ(hint.Caption(), "The window's own hint");
  // A control's own hint shows beside the mouse too, when the style asks for it; the window's
  // general hint does not.
  EXPECT_TRUE(Widget<QLabel>("Label_Caption")->toolTip().isEmpty());
  const auto tipOver = [&](QWidget* widget) {
    QToolTip::hideText();
    QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), widget->mapToGlobal(QPoint(2, 2)));
    QCoreApplication::sendEvent(widget, &help);
    return QToolTip::isVisible() ? QToolTip::text().toStdString() : std::string("(none)");
  };
  EXPECT_EQ(tipOver(Widget<QLabel>("Panel_Value")), "Group hint");
  EXPECT_NE(tipOver(Widget<QLineEdit>("Edit_Value")), "The window's own hint");
  QToolTip::hideText();

  // A locked control stays disabled whatever the program enables, and its hint says why; so does
  // a locked menu item under the mouse in its open menu.
  form.Button_Apply.Lock("Locked button");
  form.Button_Apply.SetEnabled(true);
  EXPECT_FALSE(Widget<QPushButton>("Button_Apply")->isEnabled());
  Enter(Widget<QPushButton>("Button_Apply"));
  EXPECT_EQ(hint.Caption(), "Locked button");
  form.MenuCheck.Lock("Locked item");
  QAction* item = Widget<QAction>("MenuCheck");
  EXPECT_FALSE(item->isEnabled());
  QMenu* menu = window->menuBar()->findChild<QMenu*>();
  menu->popup(window->mapToGlobal(QPoint(0, 0)));
  const QPointF on = menu->actionGeometry(item).center();
  QMouseEvent move(QEvent::MouseMove, on, menu->mapToGlobal(on), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
  QCoreApplication::sendEvent(menu, &move);
  menu->hide();
  EXPECT_EQ(hint.Caption(), "Locked item");
}

TEST_F(BinderTest, TheWindowFollowsTheFormAndReportsActivationAndClosing) {
  int activations = 0;
  int closes = 0;
  form.OnActivate = [&] { ++activations; };
  form.OnClose = [&] { ++closes; };
  form.SetCaption("Renamed");
  EXPECT_EQ(window->windowTitle(), "Renamed");
  ShowActive();
  EXPECT_TRUE(window->isVisible());
  EXPECT_GE(activations, 1);
  EXPECT_FALSE(window->close());  // the close event goes to the model, which hides the window
  EXPECT_EQ(closes, 1);
  EXPECT_FALSE(form.Visible());
  EXPECT_FALSE(window->isVisible());
  form.Show();
  EXPECT_TRUE(window->isVisible());
  form.Close();
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(closes, 2);
}

TEST_F(BinderTest, RunModalReturnsWhenTheModelClosesTheWindow) {
  form.Button_Apply.OnClick = [&] { form.Close(); };
  QTimer::singleShot(0, window.get(), [this] {
    EXPECT_TRUE(window->isModal());
    Widget<QPushButton>("Button_Apply")->click();
  });
  binder->RunModal();
  EXPECT_FALSE(form.Visible());
  EXPECT_FALSE(window->isVisible());
}

TEST(BinderFontTest, FixedPitchWidgetsGetTheSystemFixedFontAtTheirSize) {
  TestForm form;
  std::unique_ptr<QMainWindow> window = BuildWindow();
  QLabel* value = window->findChild<QLabel*>("Panel_Value");
  QFont designed = value->font();
  designed.setPointSize(13);
  value->setFont(designed);
  value->setProperty("fixedPitch", true);
  const QFont plain = window->findChild<QLabel*>("Label_Caption")->font();
  Binder binder(form, *window);
  const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  EXPECT_EQ(value->font().family(), fixed.family());
  EXPECT_EQ(value->font().pointSize(), 13);
  EXPECT_EQ(window->findChild<QLabel*>("Label_Caption")->font(), plain);
}

TEST(SelfCheckTest, AMatchingWindowHasNoProblems) {
  TestForm form;
  std::unique_ptr<QMainWindow> window = BuildWindow();
  EXPECT_THAT(SelfCheck(form, *window), IsEmpty());
}

TEST(SelfCheckTest, ListsMissingWrongAndUnknownWidgets) {
  TestForm form;
  std::unique_ptr<QMainWindow> window = BuildWindow();
  delete window->findChild<QLabel*>("Label_Caption");
  // A LED drawn as a label, a second Edit_Value, a widget and an action the model does not know.
  auto* led = window->findChild<LedWidget*>("Shape_Led");
  auto* ledLabel = new QLabel(led->parentWidget());
  delete led;
  ledLabel->setObjectName("Shape_Led");
  (new QLineEdit(window->centralWidget()))->setObjectName("Edit_Value");
  (new QLabel(window->centralWidget()))->setObjectName("Panel_Extra");
  (new QPushButton(window->centralWidget()))->setObjectName("MenuCheck");
  (new QAction(window.get()))->setObjectName("MenuExtra");
  // Static captions and Qt's own objects are no controls.
  (new QLabel(window->centralWidget()))->setObjectName("label_Static");
  (new QAction(window.get()))->setObjectName("_q_internal");

  EXPECT_THAT(
      SelfCheck(form, *window),
      UnorderedElementsAre(
          "Label Label_Caption: no QLabel named so",
          "Shape Shape_Led: the widget is a QLabel, not a zelkon::gui::LedWidget",
          "Edit Edit_Value: 2 objects named so", "widget Panel_Extra (QLabel): no control named so",
          "widget MenuCheck (QPushButton): MenuCheck is a menu item, which binds to a "
          "QAction",
          "action MenuExtra: no menu item named so"));
}

}  // namespace
}  // namespace zelkon::gui
