// The registered windows against their models.
#include "windows.h"

#include <gmock/gmock.h>

#include <algorithm>

#include <QDialog>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

#include "core/startup.h"
#include "core/window_registry.h"
#include "main/comm_form.h"
#include "support/test_rig.h"

namespace zelkon::gui {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(WindowsTest, EveryRegisteredWindowMatchesItsModelAndBindsEveryControl) {
  zelkon::testing::TestRig rig;
  TForm_Comm chooser({"/dev/ttyUSB0", kEmulatorEntry});
  ASSERT_FALSE(WindowTypes().empty());
  EXPECT_STREQ(WindowTypes().front().className, "TForm_Main");
  for (const WindowType& type : WindowTypes()) {
    SCOPED_TRACE(type.className);
    Form* form = std::string_view(type.className) == "TForm_Comm"
                     ? &chooser
                     : FindForm(rig.app, type.className);
    ASSERT_NE(form, nullptr);
    BoundWindow window = CreateBoundWindow(type, *form, nullptr);
    EXPECT_THAT(SelfCheck(*form, *window.widget), IsEmpty());
    EXPECT_FALSE(window.widget->isVisible());
    for (const Control* control : form->Controls())
      EXPECT_NE(window.binder->ObjectOf(*control), nullptr) << control->Name();
    // The main window is the only one with menus; the others are dialogs.
    if (form == &rig.app.Form_Main) {
      EXPECT_NE(qobject_cast<QMainWindow*>(window.widget.get()), nullptr);
    } else {
      EXPECT_NE(qobject_cast<QDialog*>(window.widget.get()), nullptr);
    }
  }
}

TEST(WindowsTest, EveryWindowOfTheApplicationHasAUiFile) {
  zelkon::testing::TestRig rig;
  for (Form* form : rig.app.Forms()) {
    EXPECT_NE(FindWindowType(form->ClassName()), nullptr) << form->ClassName();
  }
}

// Every item of the Window menu shows its window (in engineering mode, which the last two need).
TEST(WindowsTest, EveryWindowMenuItemOpensItsWindow) {
  zelkon::testing::TestRig rig;
  rig.app.state.EngineeringMode = true;
  std::vector<BoundWindow> windows = CreateWindows(rig.app);
  const QMenu* menu = windows.front().widget->findChild<QMenu*>("menuWindow");
  ASSERT_NE(menu, nullptr);
  int items = 0;
  for (QAction* action : menu->actions()) {
    // The notifications switch opens no window.
    if (action->isSeparator() || action->isCheckable()) continue;
    const std::string name = action->objectName().toStdString();
    SCOPED_TRACE(name);
    ++items;
    action->setVisible(true);  // the engineering items are hidden outside engineering mode
    action->trigger();
    std::vector<Form*> shown;
    for (Form* form : rig.app.Forms()) {
      if (form->Visible()) shown.push_back(form);
    }
    EXPECT_EQ(shown.size(), 1u);
    for (Form* form : shown) {
      EXPECT_NE(FindWindowType(form->ClassName()), nullptr);
      form->Close();
    }
  }
  EXPECT_EQ(items, 15);
}

TEST(WindowsTest, TheApplicationGetsOneBoundWindowPerRegisteredModel) {
  zelkon::testing::TestRig rig;
  std::vector<BoundWindow> windows = CreateWindows(rig.app);
  std::vector<std::string> names;
  for (const BoundWindow& window : windows)
    names.push_back(window.binder->form().ClassName());
  // Every registered window except the chooser, which exists before the application; main first.
  ASSERT_EQ(names.size(), WindowTypes().size() - 1);
  ASSERT_EQ(names.size(), rig.app.Forms().size());
  EXPECT_EQ(names.front(), "TForm_Main");
  EXPECT_EQ(std::count(names.begin(), names.end(), "TForm_Comm"), 0);
}

// The menus in order, as "caption" per item, "-" per separator and "caption >" per submenu.
std::vector<std::string> MenuLayout(const QMenu& menu) {
  std::vector<std::string> layout;
  for (const QAction* action : menu.actions()) {
    if (action->isSeparator()) {
      layout.push_back("-");
    } else if (action->menu() != nullptr) {
      layout.push_back(action->text().toStdString() + " >");
    } else {
      layout.push_back(action->text().toStdString());
    }
  }
  return layout;
}

TEST(WindowsTest, TheMainMenusHoldTheirItemsInOrder) {
  zelkon::testing::TestRig rig;
  BoundWindow main = CreateBoundWindow(*FindWindowType("TForm_Main"), rig.app.Form_Main, nullptr);
  auto* window = qobject_cast<QMainWindow*>(main.widget.get());
  ASSERT_NE(window, nullptr);
  std::vector<std::string> titles;
  for (const QAction* action : window->menuBar()->actions())
    titles.push_back(action->text().toStdString());
  EXPECT_THAT(titles, ElementsAre("&Control", "&Setup", "&Window", "&Help"));

  const auto menu = [&](const char* name) {
    const QMenu* found = window->findChild<QMenu*>(name);
    EXPECT_NE(found, nullptr) << name;
    return found == nullptr ? std::vector<std::string>{} : MenuLayout(*found);
  };
  EXPECT_THAT(menu("menuControl"),
              ElementsAre("&Cold Reset", "&Warm Reset", "&Factory Reset >", "Restart &Self-Survey",
                          "Upload &Position...", "Upload &Time From PC...", "&Upload Almanac...",
                          "D&ownload Position...", "Down&load Time To PC", "&Download Almanac...",
                          "Poll Timing P&ackets", "R&eceiver Type >", "&Record RXBIN...",
                          "Packets On", "SI Code 6", "SI Code 8", "SI Code 9"));
  EXPECT_THAT(menu("menuFactoryReset"), ElementsAre("&All Data and Parameters", "&Navigation Data",
                                                    "&Configuration Parameters"));
  EXPECT_THAT(
      menu("menuReceiverType"),
      ElementsAre("&Tempavo Opal/2000", "Tempavo Opal/2000 &Netrel", "Tempavo Opal/2000 &Harvane",
                  "Tempavo Opal Tempavo II Compa&tible", "&Varnel", "Orla &UTC"));
  EXPECT_THAT(
      menu("menuSetup"),
      ElementsAre("&GPS Settings...", "S&V for 1 Satellite Mode...", "Altitude for &2D Mode...",
                  "-", "&Packet Masks and Options...", "&Datum...", "Port &A Output",
                  "Port &B Output...", "-", "&Serial Ports...", "-", "&Timing Outputs...", "-",
                  "Self-Surve&y...", "S&elf-Survey...", "-", "&NMEA Output...", "-",
                  "&Revert Segment to Default...", "Save &Configuration Segments",
                  "De&fault All Segments"));
  EXPECT_THAT(
      menu("menuWindow"),
      ElementsAre("Additional Timing &Packets...", "&Velocity && Positioning...",
                  "&Track Status...", "EEPROM &Segment Status...", "&Raw Measurement Data...",
                  "&Ephemeris Status...", "-", "Product &Info...", "-", "&Almanac Data...",
                  "Almanac &Health Page...", "&UTC Parameters...", "-", "&Charts...",
                  "S&ky View...", "Message &Log...", "Desktop &Notifications", "&Diagnostics...",
                  "Test &Modes..."));
  EXPECT_THAT(menu("menuHelp"), ElementsAre("&Help...", "-", "&About..."));
  // The separator above "&NMEA Output..." is the model's N3, hidden with that item.
  EXPECT_TRUE(window->findChild<QAction*>("N3")->isSeparator());
}

}  // namespace
}  // namespace zelkon::gui
