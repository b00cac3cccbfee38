#include "model/controls.h"

#include "model/form.h"

namespace zelkon {

const char* KindName(ControlKind kind) {
  switch (kind) {
    case ControlKind::Panel:
      return "Panel";
    case ControlKind::Label:
      return "Label";
    case ControlKind::Shape:
      return "Shape";
    case ControlKind::Edit:
      return "Edit";
    case ControlKind::ComboBox:
      return "ComboBox";
    case ControlKind::CheckBox:
      return "CheckBox";
    case ControlKind::RadioButton:
      return "RadioButton";
    case ControlKind::RadioGroup:
      return "RadioGroup";
    case ControlKind::Button:
      return "Button";
    case ControlKind::Memo:
      return "Memo";
    case ControlKind::TabControl:
      return "TabControl";
    case ControlKind::MenuItem:
      return "MenuItem";
    case ControlKind::Timer:
      return "Timer";
    case ControlKind::Chart:
      return "Chart";
  }
  return "?";
}

Control::Control(Form& owner, std::string name, ControlKind kind)
    : owner_(owner), name_(std::move(name)), kind_(kind) {
  owner.Register(this);
}

UsableControl::UsableControl(Form& owner, std::string name, ControlKind kind, bool enabled,
                             std::string hint)
    : Control(owner, std::move(name), kind), enabled_(enabled), hint_(std::move(hint)) {}

void UsableControl::SetEnabled(bool enabled) {
  const bool was = Enabled();
  enabled_ = enabled;
  if (Enabled() != was) Notify(Property::Enabled);
}

void UsableControl::SetHint(std::string_view hint) {
  // A locked control shows its reason; the hint is kept all the same.
  if (Locked()) {
    hint_ = hint;
  } else {
    AssignText(hint_, hint, Property::Hint);
  }
}

void UsableControl::Lock(const std::string& reason) {
  const bool wasEnabled = Enabled();
  const std::string wasHint = Hint();
  lock_ = reason;
  if (Enabled() != wasEnabled) Notify(Property::Enabled);
  if (Hint() != wasHint) Notify(Property::Hint);
}

VisualControl::VisualControl(Form& owner, std::string name, ControlKind kind, Design& design)
    : UsableControl(owner, std::move(name), kind, design.enabled, std::move(design.hint)),
      visible_(design.visible),
      top_(design.top) {}

Chart::Chart(Form& owner, std::string name, Design design)
    : VisualControl(owner, std::move(name), ControlKind::Chart, design) {}

Panel::Panel(Form& owner, std::string name, Design design)
    : VisualControl(owner, std::move(name), ControlKind::Panel, design),
      caption_(std::move(design.text)),
      colour_(design.colour) {}

Label::Label(Form& owner, std::string name, Design design)
    : VisualControl(owner, std::move(name), ControlKind::Label, design),
      caption_(std::move(design.text)),
      fontColour_(design.fontColour) {}

Shape::Shape(Form& owner, std::string name, Design design)
    : VisualControl(owner, std::move(name), ControlKind::Shape, design), brush_(design.colour) {}

Edit::Edit(Form& owner, std::string name, Design design)
    : VisualControl(owner, std::move(name), ControlKind::Edit, design),
      text_(std::move(design.text)),
      colour_(design.colour) {}

ComboBox::ComboBox(Form& owner, std::string name, Design design)
    : VisualControl(owner, std::move(name), ControlKind::ComboBox, design), items_(design) {
  SetItemIndex(design.itemIndex);
}

void ComboBox::SetItems(const std::vector<std::string>& items) {
  if (items_.Get() == items) return;
  items_.Set(items);
  Notify(Property::Items);
  SetItemIndex(-1);
}

void ComboBox::SetItemIndex(int index) {
  if (index < 0 || index >= static_cast<int>(Items().size())) index = -1;
  const std::string text = index >= 0 ? items_.Get()[static_cast<size_t>(index)] : std::string();
  const bool indexChanged = index != itemIndex_;
  const bool textChanged = text != text_;
  itemIndex_ = index;
  text_ = text;
  if (indexChanged) Notify(Property::ItemIndex);
  if (textChanged) Notify(Property::Text);
}

void ComboBox::SetText(const std::string& text) {
  const std::vector<std::string>& items = items_.Get();
  for (size_t i = 0; i < items.size(); ++i) {
    if (items[i] == text) {
      SetItemIndex(static_cast<int>(i));
      return;
    }
  }
  const bool indexChanged = itemIndex_ != -1;
  itemIndex_ = -1;
  if (indexChanged) Notify(Property::ItemIndex);
  Assign(text_, text, Property::Text);
}

CheckBox::CheckBox(Form& owner, std::string name, Design design)
    : VisualControl(owner, std::move(name), ControlKind::CheckBox, design),
      caption_(std::move(design.text)),
      checked_(design.checked) {}

void CheckBox::SetChecked(bool checked) {
  if (checked_ == checked) return;
  checked_ = checked;
  Notify(Property::Checked);
  Fire(OnClick);
}

RadioButton::RadioButton(Form& owner, std::string name, Design design)
    : VisualControl(owner, std::move(name), ControlKind::RadioButton, design),
      caption_(std::move(design.text)),
      checked_(design.checked),
      group_(std::move(design.group)) {}

void RadioButton::SetChecked(bool checked) {
  if (checked_ == checked) return;
  checked_ = checked;
  Notify(Property::Checked);
  if (!checked) return;
  for (Control* control : Owner().Controls()) {
    if (control == this || control->Kind() != ControlKind::RadioButton) continue;
    auto* other = static_cast<RadioButton*>(control);
    if (other->group_ == group_) other->SetChecked(false);
  }
  Fire(OnClick);
}

RadioGroup::RadioGroup(Form& owner, std::string name, Design design)
    : VisualControl(owner, std::move(name), ControlKind::RadioGroup, design),
      caption_(std::move(design.text)),
      items_(design),
      itemIndex_(design.itemIndex) {}

void RadioGroup::SetItemIndex(int index) {
  if (index < 0 || index >= static_cast<int>(Items().size())) index = -1;
  Assign(itemIndex_, index, Property::ItemIndex);
}

Button::Button(Form& owner, std::string name, Design design)
    : VisualControl(owner, std::move(name), ControlKind::Button, design),
      caption_(std::move(design.text)) {}

Memo::Memo(Form& owner, std::string name, Design design)
    : VisualControl(owner, std::move(name), ControlKind::Memo, design),
      text_(std::move(design.text)) {}

TabControl::TabControl(Form& owner, std::string name, Design design)
    : VisualControl(owner, std::move(name), ControlKind::TabControl, design),
      tabs_(design),
      tabIndex_(design.itemIndex) {}

void TabControl::SetTabIndex(int index) {
  if (index < 0 || index >= static_cast<int>(Tabs().size())) index = -1;
  Assign(tabIndex_, index, Property::ItemIndex);
}

MenuItem::MenuItem(Form& owner, std::string name, MenuDesign design)
    : UsableControl(owner, std::move(name), ControlKind::MenuItem, design.enabled, ""),
      caption_(std::move(design.caption)),
      shortCut_(std::move(design.shortCut)),
      checked_(design.checked),
      visible_(design.visible) {}

Timer::Timer(Form& owner, std::string name, int intervalMs)
    : Control(owner, std::move(name), ControlKind::Timer), interval_(intervalMs) {}

void Timer::SetEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  if (enabled) ++enableCount_;
  Notify(Property::Enabled);
}

namespace {
thread_local const Form* userActionWindow = nullptr;
}  // namespace

void Control::FireAsUserAction(const Handler& handler) const {
  if (!handler) return;
  const Form* outer = userActionWindow;
  userActionWindow = &owner_;
  struct Restore {
    const Form* outer;
    ~Restore() { userActionWindow = outer; }
  } restore{outer};
  handler();
}

const Form* UserActionWindow() { return userActionWindow; }

}  // namespace zelkon
