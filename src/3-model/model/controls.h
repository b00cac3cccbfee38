// The controls of the window models.
//
// A window is a plain object holding named controls: panels, labels, shapes, edits, combo boxes,
// check boxes, radio buttons, radio groups, buttons, memos, tab controls, menu items and timers.
// Each control carries exactly the properties the program reads or writes and the event slots its
// handlers use. Decoders and handlers work on these models only; a user interface binds each
// control to the widget of the same name through the one optional observer, which is told of every
// property change (model to widget), and feeds user input back through the setters and the event
// methods (widget to model).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/chart.h"
#include "model/colour.h"

namespace zelkon {

class Form;
class Control;

enum class ControlKind {
  Panel,
  Label,
  Shape,
  Edit,
  ComboBox,
  CheckBox,
  RadioButton,
  RadioGroup,
  Button,
  Memo,
  TabControl,
  MenuItem,
  Timer,
  Chart,
};

const char* KindName(ControlKind kind);

enum class Property {
  Text,        // caption or text
  Colour,      // background or brush colour
  FontColour,  // text colour
  Checked,
  Items,  // list items, tabs
  ItemIndex,
  Enabled,
  Visible,
  Hint,
  Top,
  Interval,
  Data,  // what a chart draws
};

class ControlObserver {
 public:
  virtual ~ControlObserver() = default;
  virtual void ControlChanged(Control& control, Property property) = 0;
};

using Handler = std::function<void()>;
using KeyHandler = std::function<void(char& key)>;

// A design-time item list that never changes, made once and shared by the controls of every
// window that shows it (a window's own copy is made only when the program sets other items).
using ItemList = std::shared_ptr<const std::vector<std::string>>;

// Design-time values of a visual control, set fluently: Design().Text("0").Hint("...").
// Each kind reads the fields it has.
struct Design {
  // The control's position is the layout's, not managed by the model.
  static constexpr int kDesignTop = -1;

  std::string text;
  Colour colour = colours::kWindow;
  Colour fontColour = colours::kWindowText;
  std::string hint;
  bool visible = true;
  bool enabled = true;
  bool checked = false;
  int top = kDesignTop;
  std::vector<std::string> items;
  ItemList sharedItems;  // when set, the items instead of `items`
  int itemIndex = -1;
  std::string group;  // radio buttons: the buttons of one group exclude each other

  Design& Text(std::string value) { return text = std::move(value), *this; }
  Design& Color(Colour value) { return colour = value, *this; }
  Design& FontColor(Colour value) { return fontColour = value, *this; }
  Design& Hint(std::string value) { return hint = std::move(value), *this; }
  Design& Hidden() { return visible = false, *this; }
  Design& Disabled() { return enabled = false, *this; }
  Design& Checked() { return checked = true, *this; }
  Design& Top(int value) { return top = value, *this; }
  Design& Items(std::vector<std::string> value) { return items = std::move(value), *this; }
  Design& Items(ItemList value) { return sharedItems = std::move(value), *this; }
  Design& ItemIndex(int value) { return itemIndex = value, *this; }
  Design& Group(std::string value) { return group = std::move(value), *this; }
};

class Control {
 public:
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;
  virtual ~Control() = default;

  const std::string& Name() const { return name_; }
  ControlKind Kind() const { return kind_; }
  Form& Owner() const { return owner_; }

  void SetObserver(ControlObserver* observer) { observer_ = observer; }
  ControlObserver* Observer() const { return observer_; }

 protected:
  Control(Form& owner, std::string name, ControlKind kind);

  template <class T>
  void Assign(T& field, const T& value, Property property) {
    if (field == value) return;
    field = value;
    Notify(property);
  }
  // A text: compared in place, and copied only when it changes.
  void AssignText(std::string& field, std::string_view value, Property property) {
    if (field == value) return;
    field.assign(value);
    Notify(property);
  }
  void Notify(Property property) {
    if (observer_ != nullptr) observer_->ControlChanged(*this, property);
  }
  static void Fire(const Handler& handler) {
    if (handler) handler();
  }
  // Fires `handler` as the user's own action on this control's window: while it runs,
  // UserActionWindow() names that window.
  void FireAsUserAction(const Handler& handler) const;

 private:
  Form& owner_;
  std::string name_;
  ControlKind kind_;
  ControlObserver* observer_ = nullptr;
};

// What the controls the user works (the visual controls and the menu items) share: whether they
// take input, and their hint. A locked control stays disabled whatever the program enables later,
// and its hint gives the reason: a control that has no use for the whole run (one that sends to the
// receiver, while a recording is replayed).
class UsableControl : public Control {
 public:
  bool Enabled() const { return enabled_ && lock_.empty(); }
  void SetEnabled(bool enabled);
  const std::string& Hint() const { return lock_.empty() ? hint_ : lock_; }
  void SetHint(std::string_view hint);
  // Disables the control for good; `reason` (not empty) becomes its hint.
  void Lock(const std::string& reason);
  bool Locked() const { return !lock_.empty(); }

 protected:
  UsableControl(Form& owner, std::string name, ControlKind kind, bool enabled, std::string hint);

 private:
  bool enabled_;
  std::string hint_;
  std::string lock_;
};

// Properties every control on a window has.
class VisualControl : public UsableControl {
 public:
  bool Visible() const { return visible_; }
  void SetVisible(bool visible) { Assign(visible_, visible, Property::Visible); }
  // Design::kDesignTop until the program moves the control.
  int Top() const { return top_; }
  void SetTop(int top) { Assign(top_, top, Property::Top); }

 protected:
  // Takes the hint out of `design`.
  VisualControl(Form& owner, std::string name, ControlKind kind, Design& design);

 private:
  bool visible_;
  int top_;
};

// A sunken value field or a group frame: text on a background colour.
class Panel final : public VisualControl {
 public:
  Panel(Form& owner, std::string name, Design design = {});
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string_view caption) { AssignText(caption_, caption, Property::Text); }
  Colour Color() const { return colour_; }
  void SetColor(Colour colour) { Assign(colour_, colour, Property::Colour); }
  Handler OnClick;
  void Click() { Fire(OnClick); }

 private:
  std::string caption_;
  Colour colour_;
};

class Label final : public VisualControl {
 public:
  Label(Form& owner, std::string name, Design design = {});
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string_view caption) { AssignText(caption_, caption, Property::Text); }
  Colour FontColor() const { return fontColour_; }
  void SetFontColor(Colour colour) { Assign(fontColour_, colour, Property::FontColour); }
  Handler OnClick;
  void Click() { Fire(OnClick); }

 private:
  std::string caption_;
  Colour fontColour_;
};

// A small circle: the LEDs.
class Shape final : public VisualControl {
 public:
  Shape(Form& owner, std::string name, Design design = {});
  Colour BrushColor() const { return brush_; }
  void SetBrushColor(Colour colour) { Assign(brush_, colour, Property::Colour); }

 private:
  Colour brush_;
};

class Edit final : public VisualControl {
 public:
  Edit(Form& owner, std::string name, Design design = {});
  const std::string& Text() const { return text_; }
  void SetText(std::string_view text) { AssignText(text_, text, Property::Text); }
  Colour Color() const { return colour_; }
  void SetColor(Colour colour) { Assign(colour_, colour, Property::Colour); }
  Handler OnExit;
  KeyHandler OnKeyPress;
  void Exit() { Fire(OnExit); }
  void KeyPress(char& key) {
    if (OnKeyPress) OnKeyPress(key);
  }

 private:
  std::string text_;
  Colour colour_;
};

// The items of a list control: the shared list of its design until the program sets items of its
// own.
class ControlItems {
 public:
  explicit ControlItems(Design& design)
      : own_(std::move(design.items)), shared_(std::move(design.sharedItems)) {}
  const std::vector<std::string>& Get() const { return shared_ ? *shared_ : own_; }
  void Set(const std::vector<std::string>& items) {
    own_ = items;
    shared_.reset();
  }

 private:
  std::vector<std::string> own_;
  ItemList shared_;
};

// A drop-down list. Selecting an index the list does not hold leaves it without a selection;
// a text that is no item (such as "unknown") is shown with no item selected.
class ComboBox final : public VisualControl {
 public:
  ComboBox(Form& owner, std::string name, Design design = {});
  const std::vector<std::string>& Items() const { return items_.Get(); }
  void SetItems(const std::vector<std::string>& items);
  int ItemIndex() const { return itemIndex_; }
  void SetItemIndex(int index);
  const std::string& Text() const { return text_; }
  void SetText(const std::string& text);
  // Fired by a selection the user makes, not by SetItemIndex.
  Handler OnChange;
  void Change() { Fire(OnChange); }

 private:
  ControlItems items_;
  int itemIndex_ = -1;
  std::string text_;
};

// Setting Checked to a new value fires OnClick, as a click by the user does.
class CheckBox final : public VisualControl {
 public:
  CheckBox(Form& owner, std::string name, Design design = {});
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string_view caption) { AssignText(caption_, caption, Property::Text); }
  bool Checked() const { return checked_; }
  void SetChecked(bool checked);
  Handler OnClick;

 private:
  std::string caption_;
  bool checked_;
};

// Checking a radio button unchecks the others of its group and fires its OnClick.
class RadioButton final : public VisualControl {
 public:
  RadioButton(Form& owner, std::string name, Design design = {});
  const std::string& Caption() const { return caption_; }
  bool Checked() const { return checked_; }
  void SetChecked(bool checked);
  const std::string& Group() const { return group_; }
  Handler OnClick;

 private:
  std::string caption_;
  bool checked_;
  std::string group_;
};

// A captioned group of radio items, one of them selected.
class RadioGroup final : public VisualControl {
 public:
  RadioGroup(Form& owner, std::string name, Design design = {});
  const std::string& Caption() const { return caption_; }
  const std::vector<std::string>& Items() const { return items_.Get(); }
  int ItemIndex() const { return itemIndex_; }
  void SetItemIndex(int index);

 private:
  std::string caption_;
  ControlItems items_;
  int itemIndex_;
};

class Button final : public VisualControl {
 public:
  Button(Form& owner, std::string name, Design design = {});
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string_view caption) { AssignText(caption_, caption, Property::Text); }
  Handler OnClick;
  void Click() { FireAsUserAction(OnClick); }

 private:
  std::string caption_;
};

// A multi-line text; lines end in "\r\n".
class Memo final : public VisualControl {
 public:
  Memo(Form& owner, std::string name, Design design = {});
  const std::string& Text() const { return text_; }
  void SetText(std::string_view text) { AssignText(text_, text, Property::Text); }

 private:
  std::string text_;
};

class TabControl final : public VisualControl {
 public:
  TabControl(Form& owner, std::string name, Design design = {});
  const std::vector<std::string>& Tabs() const { return tabs_.Get(); }
  int TabIndex() const { return tabIndex_; }
  void SetTabIndex(int index);
  // Fired by a tab the user selects, not by SetTabIndex.
  Handler OnChange;
  void Change() { Fire(OnChange); }

 private:
  ControlItems tabs_;
  int tabIndex_;
};

// A chart: its points are replaced whole (a refresh redraws it once; one that brings the same data
// draws nothing).
class Chart final : public VisualControl {
 public:
  Chart(Form& owner, std::string name, Design design = {});
  const ChartData& Data() const { return data_; }
  void SetData(ChartData data) {
    if (data == data_) return;
    data_ = std::move(data);
    Notify(Property::Data);
  }
  // The part of a time chart the operator looks at. The window's handlers draw the data of that
  // range; setting it draws nothing by itself.
  const ChartZoom& Zoom() const { return zoom_; }
  void SetZoom(const ChartZoom& zoom) { zoom_ = zoom; }
  // Fired by the operator zooming, panning or asking for the newest data again, not by SetZoom.
  Handler OnZoom;
  void Zoomed(const ChartZoom& zoom) {
    SetZoom(zoom);
    Fire(OnZoom);
  }

 private:
  ChartData data_;
  ChartZoom zoom_;
};

// Design-time values of a menu item: MenuDesign("&Cold Reset").ShortCut("Ctrl+K").
struct MenuDesign {
  explicit MenuDesign(std::string itemCaption) : caption(std::move(itemCaption)) {}

  std::string caption;
  std::string shortCut;  // "Ctrl+K", "F2"; empty for none
  bool checked = false;
  bool visible = true;
  bool enabled = true;

  MenuDesign& ShortCut(std::string value) { return shortCut = std::move(value), *this; }
  MenuDesign& Checked() { return checked = true, *this; }
  MenuDesign& Hidden() { return visible = false, *this; }
  MenuDesign& Disabled() { return enabled = false, *this; }
};

// A menu item. Hidden items keep their shortcut keys: the user interface must still fire them.
// Its hint shows while the mouse is on it in its menu, enabled or not.
class MenuItem final : public UsableControl {
 public:
  MenuItem(Form& owner, std::string name, MenuDesign design);
  const std::string& Caption() const { return caption_; }
  const std::string& ShortCut() const { return shortCut_; }
  bool Checked() const { return checked_; }
  void SetChecked(bool checked) { Assign(checked_, checked, Property::Checked); }
  bool Visible() const { return visible_; }
  void SetVisible(bool visible) { Assign(visible_, visible, Property::Visible); }
  Handler OnClick;
  void Click() { FireAsUserAction(OnClick); }

 private:
  std::string caption_;
  std::string shortCut_;
  bool checked_;
  bool visible_;
};

// A periodic timer; disabled at creation. Whoever drives the window's timers (the user interface's
// event loop, or EventLoop without one) calls Tick() every Interval() ms while it is enabled, the
// first time one interval after it was enabled.
class Timer final : public Control {
 public:
  Timer(Form& owner, std::string name, int intervalMs);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  int Interval() const { return interval_; }
  // Counts the times the timer was switched on, so a driver notices an off-and-on within one tick.
  unsigned EnableCount() const { return enableCount_; }
  Handler OnTimer;
  void Tick() { Fire(OnTimer); }

 private:
  bool enabled_ = false;
  int interval_;
  unsigned enableCount_ = 0;
};

// The window whose button or menu item the user clicked, while the click's handler runs on this
// thread; nullptr at any other time (a timer, a report, a window opened). What a command sent
// meanwhile was sent from.
const Form* UserActionWindow();

}  // namespace zelkon
