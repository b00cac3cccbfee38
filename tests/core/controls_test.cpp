#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "main/main_form.h"
#include "model/form.h"

namespace zelkon {
namespace {

class Recorder : public FormObserver {
 public:
  void ControlChanged(Control& control, Property property) override {
    changes.emplace_back(control.Name(), property);
  }
  void FormChanged(Form& form, Property property) override {
    changes.emplace_back(form.ClassName(), property);
  }
  std::vector<std::pair<std::string, Property>> changes;
};

class TestForm : public Form {
 public:
  TestForm() : Form("TForm_Test", "Test") {}
  Panel Panel_Value{*this, "Panel_Value", Design().Text("0")};
  ComboBox ComboBox_Parity{*this, "ComboBox_Parity",
                           Design().Items({"None", "Odd", "Even"}).ItemIndex(1)};
  CheckBox CheckBox_Double{*this, "CheckBox_Double"};
  RadioButton RadioButton_A{*this, "RadioButton_A", Design().Group("left").Checked()};
  RadioButton RadioButton_B{*this, "RadioButton_B", Design().Group("left")};
  RadioButton RadioButton_C{*this, "RadioButton_C", Design().Group("right").Checked()};
  Timer Timer_Poll{*this, "Timer_Poll", 200};
};

TEST(Controls, ChangesNotifyTheObserverOnceAndOnlyWhenTheValueChanges) {
  TestForm form;
  Recorder recorder;
  form.SetObserver(&recorder);

  form.Panel_Value.SetCaption("12");
  form.Panel_Value.SetCaption("12");
  form.Panel_Value.SetColor(colours::kButtonFace);
  form.Panel_Value.SetHint("hint");
  form.SetCaption("Other");
  form.Show();
  form.Show();
  EXPECT_EQ(recorder.changes,
            (std::vector<std::pair<std::string, Property>>{{"Panel_Value", Property::Text},
                                                           {"Panel_Value", Property::Colour},
                                                           {"Panel_Value", Property::Hint},
                                                           {"TForm_Test", Property::Text},
                                                           {"TForm_Test", Property::Visible}}));
}

TEST(Controls, ComboBoxSelectionsOutsideTheListLeaveNoSelectionAndFreeTextIsShown) {
  TestForm form;
  ComboBox& box = form.ComboBox_Parity;
  EXPECT_EQ(box.ItemIndex(), 1);
  EXPECT_EQ(box.Text(), "Odd");
  box.SetItemIndex(7);
  EXPECT_EQ(box.ItemIndex(), -1);
  EXPECT_EQ(box.Text(), "");
  box.SetText("unknown");
  EXPECT_EQ(box.ItemIndex(), -1);
  EXPECT_EQ(box.Text(), "unknown");
  box.SetText("Even");
  EXPECT_EQ(box.ItemIndex(), 2);

  bool changed = false;
  box.OnChange = [&] { changed = true; };
  box.SetItemIndex(0);
  EXPECT_FALSE(changed);  // only a selection by the user fires OnChange
  box.Change();
  EXPECT_TRUE(changed);
}

TEST(Controls, CheckBoxesAndRadioButtonsFireOnClickWhenSetAndRadioGroupsExcludeEachOther) {
  TestForm form;
  int clicks = 0;
  form.CheckBox_Double.OnClick = [&] { ++clicks; };
  form.CheckBox_Double.SetChecked(true);
  form.CheckBox_Double.SetChecked(true);
  form.CheckBox_Double.SetChecked(false);
  EXPECT_EQ(clicks, 2);

  int radioClicks = 0;
  form.RadioButton_B.OnClick = [&] { ++radioClicks; };
  form.RadioButton_B.SetChecked(true);
  EXPECT_FALSE(form.RadioButton_A.Checked());
  EXPECT_TRUE(form.RadioButton_B.Checked());
  EXPECT_TRUE(form.RadioButton_C.Checked());  // another group
  EXPECT_EQ(radioClicks, 1);
}

TEST(Controls, TimerCountsEachSwitchOn) {
  TestForm form;
  Timer& timer = form.Timer_Poll;
  EXPECT_FALSE(timer.Enabled());
  timer.SetEnabled(true);
  timer.SetEnabled(true);
  timer.SetEnabled(false);
  timer.SetEnabled(true);
  EXPECT_EQ(timer.EnableCount(), 2u);
  EXPECT_EQ(timer.Interval(), 200);
}

// A design-time list made once is shown by every list control built from it, in every window;
// items the program sets are the control's own and change neither the list nor the other controls.
TEST(Controls, ListControlsShowTheirSharedDesignListUntilGivenItemsOfTheirOwn) {
  static const ItemList kRates = std::make_shared<const std::vector<std::string>>(
      std::vector<std::string>{"1200 baud, the slowest rate", "4800", "9600"});
  class ListForm : public Form {
   public:
    ListForm() : Form("TForm_Lists", "Lists") {}
    ComboBox ComboBox_Rate{*this, "ComboBox_Rate", Design().Items(kRates).ItemIndex(2)};
    RadioGroup RadioGroup_Rate{*this, "RadioGroup_Rate", Design().Items(kRates).ItemIndex(0)};
    TabControl TabControl_Rate{*this, "TabControl_Rate", Design().Items(kRates).ItemIndex(1)};
  };
  ListForm first;
  ListForm second;
  for (const ListForm* form : {&first, &second}) {
    EXPECT_EQ(form->ComboBox_Rate.Items(), *kRates);
    EXPECT_EQ(form->ComboBox_Rate.Text(), "9600");
    EXPECT_EQ(form->RadioGroup_Rate.Items(), *kRates);
    EXPECT_EQ(form->RadioGroup_Rate.ItemIndex(), 0);
    EXPECT_EQ(form->TabControl_Rate.Tabs(), *kRates);
    EXPECT_EQ(form->TabControl_Rate.TabIndex(), 1);
  }
  EXPECT_EQ(&first.ComboBox_Rate.Items(), &second.TabControl_Rate.Tabs());  // one copy

  Recorder recorder;
  first.SetObserver(&recorder);
  first.ComboBox_Rate.SetItems(*kRates);  // the same items: nothing changes
  EXPECT_TRUE(recorder.changes.empty());
  first.ComboBox_Rate.SetText("4800");
  EXPECT_EQ(first.ComboBox_Rate.ItemIndex(), 1);
  first.ComboBox_Rate.SetItems({"COM1", "COM2"});
  EXPECT_EQ(first.ComboBox_Rate.Items(), (std::vector<std::string>{"COM1", "COM2"}));
  EXPECT_EQ(first.ComboBox_Rate.ItemIndex(), -1);
  EXPECT_EQ(first.ComboBox_Rate.Text(), "");
  first.ComboBox_Rate.SetText("COM2");
  EXPECT_EQ(first.ComboBox_Rate.ItemIndex(), 1);
  EXPECT_EQ(kRates->size(), 3u);
  EXPECT_EQ(second.ComboBox_Rate.Items(), *kRates);
  EXPECT_EQ(second.ComboBox_Rate.Text(), "9600");
  EXPECT_EQ(first.RadioGroup_Rate.Items(), *kRates);
  EXPECT_EQ((std::vector<std::pair<std::string, Property>>(recorder.changes.begin(),
                                                           recorder.changes.begin() + 2)),
            (std::vector<std::pair<std::string, Property>>{{"ComboBox_Rate", Property::ItemIndex},
                                                           {"ComboBox_Rate", Property::Text}}));
  EXPECT_NE(std::find(recorder.changes.begin(), recorder.changes.end(),
                      std::pair<std::string, Property>{"ComboBox_Rate", Property::Items}),
            recorder.changes.end());
}

TEST(Controls, MainWindowListsItsControlsByUniqueNameWithTheDesignValues) {
  TForm_Main main;
  EXPECT_EQ(main.Caption(), "Tempavo Opal Timing Receiver Monitor");
  std::set<std::string> names;
  for (Control* control : main.Controls()) {
    EXPECT_TRUE(names.insert(control->Name()).second) << "duplicate " << control->Name();
    EXPECT_EQ(&control->Owner(), &main);
  }
  for (const char* name : {"Panel_TOW", "Shape_RxLED", "Shape_TxLED", "ControlPollingTimingPkts",
                           "Timer_RXBIN", "TimerBreak", "Panel_Serial", "Panel_SV1", "Panel_SV12",
                           "Panel_AMU12", "Shape_Bit11", "Panel_10MHz"}) {
    EXPECT_NE(main.Find(name), nullptr) << name;
  }
  EXPECT_EQ(main.Find("Shape_Bit4"), nullptr);
  EXPECT_EQ(main.Find("Panel_SV12")->Kind(), ControlKind::Panel);
  EXPECT_EQ(main.Panel_SV[11].Caption(), "0");
  EXPECT_EQ(main.Panel_AMU[0].Caption(), "0.0");
  EXPECT_EQ(main.Panel_SV[0].Hint(), "Green, SV is used for fixes; Yellow, TRAIM reject");
  EXPECT_EQ(main.Panel_SV[11].Hint(), main.Panel_SV[0].Hint());  // one design, every panel
  EXPECT_EQ(main.ControlPollingTimingPkts.Caption(), "Poll Timing P&ackets");
  EXPECT_FALSE(main.Shape_Bit1.Visible());
  EXPECT_EQ(main.Shape_Bit1.Top(), 29);
  EXPECT_EQ(main.Shape_Bit11.Top(), 165);
  EXPECT_EQ(main.Shape_RxLED.BrushColor(), colours::kGrey);
  EXPECT_FALSE(main.Timer_RXBIN.Enabled());
  EXPECT_FALSE(main.ViewDiagnostics.Visible());
}

TEST(Colours, NamedColoursAndRgbAreDistinctAndPrintable) {
  EXPECT_EQ(colours::kGreen.ToString(), "#00FF00");
  EXPECT_EQ(colours::kOrange.ToString(), "#FF8000");
  EXPECT_EQ(colours::kWindow.ToString(), "window");
  EXPECT_EQ(colours::kButtonFace.ToString(), "button-face");
  EXPECT_NE(colours::kWindow, colours::kButtonFace);
  EXPECT_NE(colours::kWindow, Colour::Rgb(0));
  EXPECT_EQ(Colour::Rgb(0x1FFFFFF), Colour::Rgb(0xFFFFFF));
}

}  // namespace
}  // namespace zelkon
