#include "binder.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QEnterEvent>
#include <QEventLoop>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>

#include "chart_view.h"
#include "led_widget.h"
#include "placement.h"

namespace zelkon::gui {
namespace {

// Name prefixes of the controls; a widget named so is meant to be bound.
constexpr const char* kControlPrefixes[] = {
    "Panel_",  "Label_", "Shape_",      "Edit_",  "ComboBox_",   "CheckBox_", "RadioButton_",
    "Button_", "Memo_",  "TabControl_", "Timer_", "RadioGroup_", "Chart_",
};

// The caption of a menu item that is a separator line.
constexpr const char* kSeparatorCaption = "-";

// Typed keys handed to an edit's key handler, as the characters the handler knows.
constexpr char kKeyBackspace = 8;
constexpr char kKeyEnter = 13;

QString Q(const std::string& text) { return QString::fromStdString(text); }

// The memo's lines end in "\r\n"; the widget's in "\n".
QString MemoToWidget(const std::string& text) { return Q(text).replace("\r\n", "\n"); }
std::string MemoFromWidget(const QString& text) {
  return QString(text).replace("\n", "\r\n").toStdString();
}

bool LooksLikeControlName(const QString& name) {
  for (const char* prefix : kControlPrefixes) {
    if (name.startsWith(QLatin1String(prefix))) return true;
  }
  return false;
}

// Names Qt gives its own internal objects.
bool IsQtInternalName(const QString& name) {
  return name.startsWith(QLatin1String("qt_")) || name.startsWith(QLatin1String("_q_"));
}

bool IsCompatible(ControlKind kind, const QObject* object) {
  const QMetaObject* meta = WidgetClassFor(kind);
  return meta != nullptr && object != nullptr && object->metaObject()->inherits(meta);
}

// Sets one colour role of a widget's palette, in every colour group.
void SetPaletteColour(QWidget* widget, QPalette::ColorRole role, Colour colour) {
  const QColor wanted = ToQColor(colour, QApplication::palette(widget));
  QPalette palette = widget->palette();
  if (palette.color(QPalette::Active, role) == wanted && palette.isBrushSet(QPalette::Active, role))
    return;
  palette.setColor(role, wanted);
  widget->setPalette(palette);
}

void SetLabelText(QLabel* label, const std::string& text) {
  const QString wanted = Q(text);
  if (label->text() != wanted) label->setText(wanted);
}

}  // namespace

QColor ToQColor(Colour colour, const QPalette& palette) {
  switch (colour.SystemColour()) {
    case Colour::System::None: {
      const uint32_t rgb = colour.RgbValue();
      return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
    }
    case Colour::System::Window:
      return palette.color(QPalette::Active, QPalette::Base);
    case Colour::System::ButtonFace:
      return palette.color(QPalette::Active, QPalette::Button);
    case Colour::System::WindowText:
      return palette.color(QPalette::Active, QPalette::WindowText);
    case Colour::System::InactiveCaption:
      return palette.color(QPalette::Disabled, QPalette::WindowText);
  }
  return {};
}

const QMetaObject* WidgetClassFor(ControlKind kind) {
  switch (kind) {
    case ControlKind::Panel:
    case ControlKind::Label:
      return &QLabel::staticMetaObject;
    case ControlKind::Shape:
      return &LedWidget::staticMetaObject;
    case ControlKind::Edit:
      return &QLineEdit::staticMetaObject;
    case ControlKind::ComboBox:
      return &QComboBox::staticMetaObject;
    case ControlKind::CheckBox:
      return &QCheckBox::staticMetaObject;
    case ControlKind::RadioButton:
      return &QRadioButton::staticMetaObject;
    case ControlKind::RadioGroup:
      return &QGroupBox::staticMetaObject;
    case ControlKind::Button:
      return &QPushButton::staticMetaObject;
    case ControlKind::Memo:
      return &QPlainTextEdit::staticMetaObject;
    case ControlKind::TabControl:
      return &QTabBar::staticMetaObject;
    case ControlKind::MenuItem:
      return &QAction::staticMetaObject;
    case ControlKind::Chart:
      return &ChartView::staticMetaObject;
    case ControlKind::Timer:
      return nullptr;
  }
  return nullptr;
}

// ---- Binding ------------------------------------------------------------------------------------

Binder::Binder(Form& form, QWidget& window, Panel* hintPanel)
    : form_(form), window_(&window), hintPanel_(hintPanel) {
  ApplyFixedPitchFonts();
  for (Control* control : form_.Controls())
    Bind(*control);
  // Every widget of the window reports mouse entry (hints) and the user input the models take.
  window.installEventFilter(this);
  for (QWidget* widget : window.findChildren<QWidget*>())
    widget->installEventFilter(this);
  window.setWindowTitle(Q(form_.Caption()));
  // A dialog also ends itself (Escape): the model closes the window then too.
  if (auto* dialog = qobject_cast<QDialog*>(&window)) {
    connect(dialog, &QDialog::finished, this, [this] {
      if (form_.Visible()) form_.Close();
    });
  }
  form_.SetObserver(this);
  if (form_.Visible()) {
    ShowWindow();
  } else {
    window.hide();
  }
}

Binder::~Binder() {
  if (!window_.isNull() && window_->isVisible()) StorePlacement();
  form_.SetObserver(nullptr);
}

void Binder::StorePlacement() {
  if (settings_ != nullptr && placed_) {
    StoreGeometry(*settings_, form_.ClassName(), window_->geometry());
  }
}

QObject* Binder::ObjectOf(const Control& control) const {
  const auto found = objectOf_.find(&control);
  return found == objectOf_.end() ? nullptr : found->second;
}

void Binder::Bind(Control& control) {
  if (control.Kind() == ControlKind::Timer) {
    BindTimer(static_cast<Timer&>(control));
    return;
  }
  if (control.Kind() == ControlKind::MenuItem) {
    BindMenuItem(static_cast<MenuItem&>(control));
    return;
  }
  auto* widget = window_->findChild<QWidget*>(Q(control.Name()));
  if (widget == nullptr || !IsCompatible(control.Kind(), widget)) return;
  objectOf_[&control] = widget;
  controlOf_[widget] = &control;
  ConnectWidget(control, widget);
  Sync(control, std::nullopt);
}

void Binder::BindTimer(Timer& timer) {
  auto* qtimer = new QTimer(this);
  qtimer->setObjectName(Q(timer.Name()));
  connect(qtimer, &QTimer::timeout, this, [&timer] { timer.Tick(); });
  objectOf_[&timer] = qtimer;
  controlOf_[qtimer] = &timer;
  Sync(timer, std::nullopt);
}

void Binder::BindMenuItem(MenuItem& item) {
  auto* action = window_->findChild<QAction*>(Q(item.Name()));
  if (action == nullptr) return;
  objectOf_[&item] = action;
  controlOf_[action] = &item;
  // The model decides the check mark: a checkable action has toggled itself before `triggered`,
  // so it is set back from the model once the handler has run.
  auto click = [this, &item, action] {
    item.Click();
    const QSignalBlocker blocker(action);
    action->setChecked(item.Checked());
  };
  connect(action, &QAction::triggered, this, click);
  if (!item.ShortCut().empty()) {
    // An invisible action's shortcut does not fire; the window's own shortcut stands in for it
    // while the item is hidden.
    auto* key = new QShortcut(QKeySequence(Q(item.ShortCut())), window_);
    key->setContext(Qt::WindowShortcut);
    connect(key, &QShortcut::activated, this, click);
    hiddenKeys_[&item] = key;
  }
  Sync(item, std::nullopt);
}

void Binder::ConnectWidget(Control& control, QWidget* widget) {
  switch (control.Kind()) {
    case ControlKind::Panel:
    case ControlKind::Label: {
      auto* label = static_cast<QLabel*>(widget);
      label->setTextFormat(Qt::PlainText);
      if (control.Kind() == ControlKind::Panel) label->setAutoFillBackground(true);
      break;
    }
    case ControlKind::Edit: {
      auto& edit = static_cast<Edit&>(control);
      auto* lineEdit = static_cast<QLineEdit*>(widget);
      connect(lineEdit, &QLineEdit::textEdited, this,
              [&edit](const QString& text) { edit.SetText(text.toStdString()); });
      break;
    }
    case ControlKind::ComboBox: {
      auto& combo = static_cast<ComboBox&>(control);
      auto* box = static_cast<QComboBox*>(widget);
      box->setEditable(false);
      connect(box, &QComboBox::activated, this, [this, &combo](int index) {
        if (syncing_ > 0) return;
        combo.SetItemIndex(index);
        combo.Change();
        Sync(combo, Property::ItemIndex);
      });
      break;
    }
    case ControlKind::CheckBox: {
      auto& check = static_cast<CheckBox&>(control);
      connect(static_cast<QCheckBox*>(widget), &QCheckBox::clicked, this,
              [this, &check](bool checked) {
                check.SetChecked(checked);
                Sync(check, Property::Checked);
              });
      break;
    }
    case ControlKind::RadioButton: {
      auto& radio = static_cast<RadioButton&>(control);
      auto* button = static_cast<QRadioButton*>(widget);
      // The model keeps its groups exclusive; Qt's own grouping by parent widget would not match.
      button->setAutoExclusive(false);
      connect(button, &QRadioButton::clicked, this, [this, &radio] {
        radio.SetChecked(true);
        Sync(radio, Property::Checked);
      });
      break;
    }
    case ControlKind::Button: {
      auto& button = static_cast<Button&>(control);
      auto* push = static_cast<QPushButton*>(widget);
      // Enter in an edit goes to the edit's key handler, not to the first button of the window.
      push->setAutoDefault(false);
      // A click leaves the focus where it is: a value typed in an edit goes out as typed, and the
      // edit's exit handler runs only when the operator leaves the edit (Tab, or a click into
      // another field), as the script console does it.
      push->setFocusPolicy(Qt::TabFocus);
      connect(push, &QPushButton::clicked, this, [&button] { button.Click(); });
      break;
    }
    case ControlKind::Memo: {
      auto& memo = static_cast<Memo&>(control);
      auto* text = static_cast<QPlainTextEdit*>(widget);
      connect(text, &QPlainTextEdit::textChanged, this, [this, &memo, text] {
        if (syncing_ == 0) memo.SetText(MemoFromWidget(text->toPlainText()));
      });
      break;
    }
    case ControlKind::TabControl: {
      auto& tabs = static_cast<TabControl&>(control);
      connect(static_cast<QTabBar*>(widget), &QTabBar::currentChanged, this,
              [this, &tabs](int index) {
                if (syncing_ > 0) return;
                tabs.SetTabIndex(index);
                tabs.Change();
                Sync(tabs, Property::ItemIndex);
              });
      break;
    }
    case ControlKind::RadioGroup: {
      auto* box = static_cast<QGroupBox*>(widget);
      if (box->layout() == nullptr) box->setLayout(new QVBoxLayout);
      break;
    }
    case ControlKind::Chart: {
      // The operator's zoom goes to the model, whose handlers draw the range asked for.
      auto& chart = static_cast<Chart&>(control);
      static_cast<ChartView*>(widget)->OnZoom = [&chart](const ChartZoom& zoom) {
        chart.Zoomed(zoom);
      };
      break;
    }
    case ControlKind::Shape:
    case ControlKind::MenuItem:
    case ControlKind::Timer:
      break;
  }
}

void Binder::ApplyFixedPitchFonts() {
  QList<QWidget*> widgets = window_->findChildren<QWidget*>();
  widgets.prepend(window_);
  for (QWidget* widget : widgets) {
    if (!widget->property("fixedPitch").toBool()) continue;
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (widget->font().pointSizeF() > 0) font.setPointSizeF(widget->font().pointSizeF());
    widget->setFont(font);
  }
}

// ---- Model to widget ----------------------------------------------------------------------------

void Binder::ControlChanged(Control& control, Property property) {
  if (objectOf_.count(&control) != 0) Sync(control, property);
}

void Binder::FormChanged(Form& form, Property property) {
  if (&form != &form_ || window_.isNull()) return;
  if (property == Property::Text) {
    window_->setWindowTitle(Q(form_.Caption()));
  } else if (property == Property::Visible) {
    if (form_.Visible()) {
      ShowWindow();
    } else {
      if (window_->isVisible()) StorePlacement();
      window_->hide();
      if (modalLoop_ != nullptr) modalLoop_->quit();
    }
  }
}

// The first time, the window is made to fit the screen's free area, then opened where the operator
// left it last (when that lies on the screen), else centred as its design asks, else where the
// window system puts it; its frame always within the free area.
void Binder::ShowWindow() {
  const QScreen* screen = window_->screen();
  if (!placed_ && screen != nullptr) {
    const QRect available = screen->availableGeometry();
    FitWithin(*window_, available);
    const std::optional<QRect> stored =
        settings_ != nullptr ? StoredGeometry(*settings_, form_.ClassName()) : std::nullopt;
    const QSize margin(kFrameAllowanceWidth, kFrameAllowanceHeight);
    if (stored && available.contains(QRect(stored->topLeft(), stored->size() + margin))) {
      window_->resize(stored->size().expandedTo(window_->minimumSize()));
      window_->move(stored->topLeft());
    } else {
      QRect frame(window_->pos(), window_->size() + margin);
      if (window_->property("centred").toBool()) frame.moveCenter(available.center());
      window_->move(MovedWithin(frame, available).topLeft());
    }
  }
  placed_ = true;
  window_->show();
  window_->raise();
  window_->activateWindow();
}

void Binder::Sync(Control& control, std::optional<Property> property) {
  QObject* object = ObjectOf(control);
  if (object == nullptr) return;
  const auto is = [&](Property p) { return !property || *property == p; };
  ++syncing_;
  switch (control.Kind()) {
    case ControlKind::Panel: {
      auto& panel = static_cast<Panel&>(control);
      auto* label = static_cast<QLabel*>(object);
      if (is(Property::Text)) SetLabelText(label, panel.Caption());
      if (is(Property::Colour)) SetPaletteColour(label, QPalette::Window, panel.Color());
      break;
    }
    case ControlKind::Label: {
      auto& text = static_cast<Label&>(control);
      auto* label = static_cast<QLabel*>(object);
      if (is(Property::Text)) SetLabelText(label, text.Caption());
      if (is(Property::FontColour)) SetPaletteColour(label, QPalette::WindowText, text.FontColor());
      break;
    }
    case ControlKind::Shape: {
      auto& shape = static_cast<Shape&>(control);
      auto* led = static_cast<LedWidget*>(object);
      if (is(Property::Colour)) led->setColor(ToQColor(shape.BrushColor(), led->palette()));
      break;
    }
    case ControlKind::Edit: {
      auto& edit = static_cast<Edit&>(control);
      auto* lineEdit = static_cast<QLineEdit*>(object);
      if (is(Property::Text) && lineEdit->text() != Q(edit.Text()))
        lineEdit->setText(Q(edit.Text()));
      if (is(Property::Colour)) SetPaletteColour(lineEdit, QPalette::Base, edit.Color());
      break;
    }
    case ControlKind::ComboBox: {
      auto& combo = static_cast<ComboBox&>(control);
      auto* box = static_cast<QComboBox*>(object);
      const QSignalBlocker blocker(box);
      if (is(Property::Items)) {
        box->clear();
        for (const std::string& item : combo.Items())
          box->addItem(Q(item));
      }
      if (is(Property::Items) || is(Property::ItemIndex) || is(Property::Text)) {
        box->setCurrentIndex(combo.ItemIndex());
        box->setPlaceholderText(combo.ItemIndex() < 0 ? Q(combo.Text()) : QString());
      }
      break;
    }
    case ControlKind::CheckBox: {
      auto& check = static_cast<CheckBox&>(control);
      auto* box = static_cast<QCheckBox*>(object);
      if (is(Property::Text)) box->setText(Q(check.Caption()));
      if (is(Property::Checked)) {
        const QSignalBlocker blocker(box);
        box->setChecked(check.Checked());
      }
      break;
    }
    case ControlKind::RadioButton: {
      auto& radio = static_cast<RadioButton&>(control);
      auto* button = static_cast<QRadioButton*>(object);
      if (is(Property::Text)) button->setText(Q(radio.Caption()));
      if (is(Property::Checked)) {
        const QSignalBlocker blocker(button);
        button->setChecked(radio.Checked());
      }
      break;
    }
    case ControlKind::RadioGroup:
      SyncRadioGroup(static_cast<RadioGroup&>(control), property);
      break;
    case ControlKind::Button: {
      auto& button = static_cast<Button&>(control);
      if (is(Property::Text)) static_cast<QPushButton*>(object)->setText(Q(button.Caption()));
      break;
    }
    case ControlKind::Memo: {
      auto& memo = static_cast<Memo&>(control);
      auto* text = static_cast<QPlainTextEdit*>(object);
      if (is(Property::Text) && MemoFromWidget(text->toPlainText()) != memo.Text()) {
        text->setPlainText(MemoToWidget(memo.Text()));
        // New lines are added at the end; keep them in view.
        text->verticalScrollBar()->setValue(text->verticalScrollBar()->maximum());
      }
      break;
    }
    case ControlKind::TabControl: {
      auto& tabs = static_cast<TabControl&>(control);
      auto* bar = static_cast<QTabBar*>(object);
      if (is(Property::Items)) {
        while (bar->count() > 0)
          bar->removeTab(0);
        for (const std::string& tab : tabs.Tabs())
          bar->addTab(Q(tab));
      }
      if (is(Property::Items) || is(Property::ItemIndex)) bar->setCurrentIndex(tabs.TabIndex());
      break;
    }
    case ControlKind::MenuItem:
      SyncMenuItem(static_cast<MenuItem&>(control), property);
      break;
    case ControlKind::Chart:
      if (is(Property::Data)) {
        static_cast<ChartView*>(object)->SetData(static_cast<Chart&>(control).Data());
      }
      break;
    case ControlKind::Timer: {
      auto& timer = static_cast<Timer&>(control);
      auto* qtimer = static_cast<QTimer*>(object);
      if (is(Property::Interval)) qtimer->setInterval(timer.Interval());
      if (is(Property::Enabled)) {
        if (timer.Enabled()) {
          qtimer->start(timer.Interval());
        } else {
          qtimer->stop();
        }
      }
      break;
    }
  }
  if (control.Kind() != ControlKind::MenuItem && control.Kind() != ControlKind::Timer) {
    SyncVisual(static_cast<VisualControl&>(control), static_cast<QWidget*>(object), property);
  }
  --syncing_;
}

void Binder::SyncVisual(VisualControl& control, QWidget* widget, std::optional<Property> property) {
  const auto is = [&](Property p) { return !property || *property == p; };
  if (is(Property::Visible) && widget->isHidden() == control.Visible()) {
    widget->setVisible(control.Visible());
  }
  if (is(Property::Enabled)) widget->setEnabled(control.Enabled());
  if (is(Property::Top) && control.Top() != Design::kDesignTop && widget->y() != control.Top()) {
    widget->move(widget->x(), control.Top());
  }
}

void Binder::SyncMenuItem(MenuItem& item, std::optional<Property> property) {
  const auto is = [&](Property p) { return !property || *property == p; };
  auto* action = static_cast<QAction*>(ObjectOf(item));
  if (!property) {
    if (item.Caption() == kSeparatorCaption) {
      action->setSeparator(true);
    } else {
      action->setText(Q(item.Caption()));
    }
    action->setShortcut(QKeySequence(Q(item.ShortCut())));
  }
  if (is(Property::Checked)) {
    const QSignalBlocker blocker(action);
    if (item.Checked()) action->setCheckable(true);
    action->setChecked(item.Checked());
  }
  if (is(Property::Visible)) action->setVisible(item.Visible());
  if (is(Property::Enabled)) action->setEnabled(item.Enabled());
  const auto key = hiddenKeys_.find(&item);
  if (key != hiddenKeys_.end()) key->second->setEnabled(!item.Visible() && item.Enabled());
}

void Binder::SyncRadioGroup(RadioGroup& group, std::optional<Property> property) {
  const auto is = [&](Property p) { return !property || *property == p; };
  auto* box = static_cast<QGroupBox*>(ObjectOf(group));
  if (is(Property::Text)) box->setTitle(Q(group.Caption()));
  QList<QRadioButton*> buttons =
      box->findChildren<QRadioButton*>(QString(), Qt::FindDirectChildrenOnly);
  if (is(Property::Items)) {
    // The group's items are its radio buttons, in order; missing ones are added.
    for (auto i = buttons.size(); i < static_cast<qsizetype>(group.Items().size()); ++i) {
      auto* button = new QRadioButton(box);
      box->layout()->addWidget(button);
      button->installEventFilter(this);
      buttons.append(button);
    }
    for (qsizetype i = 0; i < buttons.size(); ++i) {
      QRadioButton* button = buttons[i];
      const bool used = i < static_cast<qsizetype>(group.Items().size());
      button->setVisible(used);
      if (!used) continue;
      button->setText(Q(group.Items()[static_cast<size_t>(i)]));
      button->setAutoExclusive(false);
      disconnect(button, &QRadioButton::clicked, this, nullptr);
      connect(button, &QRadioButton::clicked, this, [this, &group, i] {
        group.SetItemIndex(static_cast<int>(i));
        SyncRadioGroup(group, Property::ItemIndex);
      });
    }
  }
  if (is(Property::Items) || is(Property::ItemIndex)) {
    for (qsizetype i = 0; i < buttons.size(); ++i) {
      const QSignalBlocker blocker(buttons[i]);
      buttons[i]->setChecked(i == group.ItemIndex());
    }
  }
}

// ---- Widget to model ----------------------------------------------------------------------------

bool Binder::eventFilter(QObject* watched, QEvent* event) {
  if (!watched->isWidgetType()) return false;
  auto* widget = static_cast<QWidget*>(watched);
  const auto bound = controlOf_.find(widget);
  Control* control = bound == controlOf_.end() ? nullptr : bound->second;
  switch (event->type()) {
    case QEvent::ToolTip: {
      // A control's own hint also shows beside the mouse (after the style's kHintShowMs), for
      // kHintHideMs; the window's general hint only in the status field.
      const std::string hint = HintOf(widget);
      if (!hint.empty() && hint != form_.Hint()) {
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), Q(hint), widget, {},
                           kHintHideMs);
      } else {
        QToolTip::hideText();
      }
      return true;
    }
    case QEvent::Enter:
      ShowHintOf(widget);
      break;
    case QEvent::MouseMove:
      // The menu item under the mouse shows its hint, disabled or not (a disabled one says why).
      if (auto* menu = qobject_cast<QMenu*>(widget)) {
        ShowMenuItemHint(menu, static_cast<QMouseEvent*>(event)->position().toPoint());
      }
      break;
    case QEvent::Leave:
      // The mouse goes back to the parent, which has no enter event of its own.
      if (widget != window_ && widget->parentWidget() != nullptr) {
        ShowHintOf(widget->parentWidget());
      }
      break;
    case QEvent::MouseButtonRelease:
      if (control != nullptr) return ControlClick(widget, static_cast<QMouseEvent*>(event));
      break;
    case QEvent::KeyPress:
      if (control != nullptr && control->Kind() == ControlKind::Edit) {
        return EditKey(static_cast<Edit&>(*control), static_cast<QLineEdit*>(widget),
                       static_cast<QKeyEvent*>(event));
      }
      break;
    case QEvent::FocusOut: {
      // Focus moving to another window, or into a menu, does not leave the edit.
      const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
      if (control != nullptr && control->Kind() == ControlKind::Edit &&
          reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
        static_cast<Edit*>(control)->Exit();
      }
      break;
    }
    case QEvent::WindowActivate:
      if (widget == window_) form_.Activate();
      break;
    case QEvent::Close:
      if (widget == window_) {
        // The window's close button: the model closes the window, which hides it.
        event->ignore();
        form_.Close();
        if (!form_.Visible()) window_->hide();
        return true;
      }
      break;
    default:
      break;
  }
  return false;
}

bool Binder::ControlClick(QWidget* widget, QMouseEvent* event) {
  Control* control = controlOf_.at(widget);
  if (control->Kind() != ControlKind::Panel && control->Kind() != ControlKind::Label) return false;
  if (event->button() != Qt::LeftButton) return false;
  const QPoint position = event->position().toPoint();
  if (!widget->rect().contains(position)) return false;
  // A click on a child widget that passed the event on is not a click on this control.
  if (widget->childAt(position) != nullptr) return false;
  if (control->Kind() == ControlKind::Panel) {
    static_cast<Panel*>(control)->Click();
  } else {
    static_cast<Label*>(control)->Click();
  }
  return true;
}

bool Binder::EditKey(Edit& edit, QLineEdit* lineEdit, QKeyEvent* event) {
  if (!edit.OnKeyPress) return false;
  char key = 0;
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    key = kKeyEnter;
  } else if (event->key() == Qt::Key_Backspace) {
    key = kKeyBackspace;
  } else {
    const QString text = event->text();
    if (text.size() != 1 || text[0].unicode() < 0x20 || text[0].unicode() > 0x7E) return false;
    key = static_cast<char>(text[0].unicode());
  }
  const char typed = key;
  edit.KeyPress(key);
  if (key == typed) return false;  // the edit takes the key as typed
  if (key == 0) return true;       // the handler swallowed it
  // The handler replaced the character: type the replacement instead.
  if (static_cast<unsigned char>(key) >= 0x20) {
    lineEdit->insert(QString(QChar(key)));
    edit.SetText(lineEdit->text().toStdString());
  }
  return true;
}

// ---- Hints --------------------------------------------------------------------------------------

std::string Binder::HintOf(QWidget* widget) const {
  for (QWidget* w = widget; w != nullptr; w = w->parentWidget()) {
    const auto bound = controlOf_.find(w);
    if (bound != controlOf_.end() && bound->second->Kind() != ControlKind::MenuItem &&
        bound->second->Kind() != ControlKind::Timer) {
      const std::string& hint = static_cast<const VisualControl*>(bound->second)->Hint();
      if (!hint.empty()) return hint;
    }
    if (!w->statusTip().isEmpty()) return w->statusTip().toStdString();
    if (w == window_) break;
  }
  return form_.Hint();
}

void Binder::ShowHintOf(QWidget* widget) {
  if (hintPanel_ != nullptr) hintPanel_->SetCaption(HintOf(widget));
}

void Binder::ShowMenuItemHint(QMenu* menu, const QPoint& position) {
  if (hintPanel_ == nullptr) return;
  const auto bound = controlOf_.find(menu->actionAt(position));
  if (bound != controlOf_.end() && bound->second->Kind() == ControlKind::MenuItem) {
    const std::string& hint = static_cast<const MenuItem*>(bound->second)->Hint();
    if (!hint.empty()) {
      hintPanel_->SetCaption(hint);
      return;
    }
  }
  ShowHintOf(menu);
}

// ---- Modal windows ------------------------------------------------------------------------------

void Binder::RunModal() {
  window_->setWindowModality(Qt::ApplicationModal);
  form_.Show();
  if (!form_.Visible()) return;
  QEventLoop loop;
  modalLoop_ = &loop;
  loop.exec(QEventLoop::DialogExec);
  modalLoop_ = nullptr;
}

// ---- Self-check ---------------------------------------------------------------------------------

std::vector<std::string> SelfCheck(const Form& form, const QWidget& window) {
  std::vector<std::string> problems;
  for (const Control* control : form.Controls()) {
    if (control->Kind() == ControlKind::Timer) continue;  // the binder makes its own QTimer
    const QString name = Q(control->Name());
    const char* expected = WidgetClassFor(control->Kind())->className();
    QList<QObject*> objects;
    if (control->Kind() == ControlKind::MenuItem) {
      for (QAction* action : window.findChildren<QAction*>(name))
        objects.append(action);
    } else {
      for (QWidget* widget : window.findChildren<QWidget*>(name))
        objects.append(widget);
    }
    const std::string what = std::string(KindName(control->Kind())) + " " + control->Name();
    if (objects.isEmpty()) {
      problems.push_back(what + ": no " + expected + " named so");
    } else if (objects.size() > 1) {
      problems.push_back(what + ": " + std::to_string(objects.size()) + " objects named so");
    } else if (!IsCompatible(control->Kind(), objects.front())) {
      problems.push_back(what + ": the widget is a " + objects.front()->metaObject()->className() +
                         ", not a " + expected);
    }
  }
  for (const QWidget* widget : window.findChildren<QWidget*>()) {
    const QString name = widget->objectName();
    const Control* control = form.Find(name.toStdString());
    if (control == nullptr && LooksLikeControlName(name)) {
      problems.push_back("widget " + name.toStdString() + " (" + widget->metaObject()->className() +
                         "): no control named so");
    } else if (control != nullptr && control->Kind() == ControlKind::MenuItem) {
      problems.push_back("widget " + name.toStdString() + " (" + widget->metaObject()->className() +
                         "): " + control->Name() + " is a menu item, which binds to a QAction");
    }
  }
  for (const QAction* action : window.findChildren<QAction*>()) {
    const QString name = action->objectName();
    if (name.isEmpty() || IsQtInternalName(name)) continue;
    const Control* control = form.Find(name.toStdString());
    if (control == nullptr || control->Kind() != ControlKind::MenuItem) {
      problems.push_back("action " + name.toStdString() + ": no menu item named so");
    }
  }
  return problems;
}

}  // namespace zelkon::gui
