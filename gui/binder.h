// The one binder between a window model (a Form and its named controls) and the widgets of its
// window.
//
// Each control is bound to the widget of the same objectName in the window's widget tree, the Form
// itself to the top-level widget:
//
//   Panel       QLabel (may hold child widgets): text, background colour, frame as designed
//   Label       QLabel: text, font colour
//   Shape       LedWidget: brush colour
//   Edit        QLineEdit: text both ways, Exit() on focus out, KeyPress() for typed characters
//   ComboBox    QComboBox (non-editable): items, index; a free text with index -1 is the
//   placeholder CheckBox    QCheckBox          RadioButton  QRadioButton      RadioGroup  QGroupBox
//   Button      QPushButton        Memo         QPlainTextEdit    TabControl  QTabBar
//   MenuItem    QAction with that objectName in the window's menus
//   Timer       a QTimer the binder creates
//   Chart       ChartView (chart_view.h): the model's series drawn with Qt Charts; the
//               operator's zoom on a time chart to Zoomed()
//
// Model to widget on every change (the binder is the form's observer; everything is synced once on
// binding); widget to model on user input, through the setters and event methods that run the
// handlers. Hints are never shown as tool tips: when the mouse enters a widget, the hint of the
// nearest bound control (or the widget's statusTip, or the form's hint) becomes the caption of the
// hint panel, the main window's status field, and so does the hint of the menu item under the
// mouse (a disabled one too). Menu items that are hidden keep their shortcut keys.
//
// A widget with the dynamic property fixedPitch = true gets the system's fixed-pitch font; a
// top-level widget with centred = true is centred on the screen the first time it is shown.
#pragma once

#include <QObject>
#include <QPalette>
#include <QPointer>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "model/form.h"
#include "platform/settings_store.h"

class QEventLoop;
class QKeyEvent;
class QLineEdit;
class QMenu;
class QMouseEvent;
class QShortcut;
class QWidget;

namespace zelkon::gui {

// The colour a model colour stands for: RGB values as they are; "window" is the palette's Base
// colour (the white of value fields), "button-face" its Button colour (the grey of the window
// background), "window-text" its WindowText colour and "inactive-caption" the disabled text colour.
QColor ToQColor(Colour colour, const QPalette& palette);

// The widget class a control of `kind` binds to; nullptr for timers, which bind to no widget.
const QMetaObject* WidgetClassFor(ControlKind kind);

// A hint shows beside the mouse after it has rested this long on a control, and for this long.
inline constexpr int kHintShowMs = 500;
inline constexpr int kHintHideMs = 5000;

class Binder final : public QObject, public FormObserver {
  Q_OBJECT

 public:
  // Binds `form` to `window` (the top-level widget built from the window's .ui) and syncs every
  // control once. `hintPanel` receives the hints of hovered widgets; nullptr for none.
  Binder(Form& form, QWidget& window, Panel* hintPanel = nullptr);
  ~Binder() override;
  Binder(const Binder&) = delete;
  Binder& operator=(const Binder&) = delete;

  Form& form() const { return form_; }
  QWidget* window() const { return window_; }

  // The widget, action or timer bound to `control`; nullptr when it has none.
  QObject* ObjectOf(const Control& control) const;
  template <class T>
  T* Find(const Control& control) const {
    return qobject_cast<T*>(ObjectOf(control));
  }

  // Shows the window application-modal and returns once the model has hidden it again.
  void RunModal();

  // Keeps the window's place and size in `settings` when it is hidden or the binder goes, and
  // opens it there again (if that lies on the screen it opens on).
  void RememberPlacement(SettingsStore& settings) { settings_ = &settings; }

  void ControlChanged(Control& control, Property property) override;
  void FormChanged(Form& form, Property property) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Bind(Control& control);
  void BindMenuItem(MenuItem& item);
  void BindTimer(Timer& timer);
  void ConnectWidget(Control& control, QWidget* widget);
  // Sets the widget from the model: one property, or all of them (nullopt).
  void Sync(Control& control, std::optional<Property> property);
  void SyncVisual(VisualControl& control, QWidget* widget, std::optional<Property> property);
  void SyncMenuItem(MenuItem& item, std::optional<Property> property);
  void SyncRadioGroup(RadioGroup& group, std::optional<Property> property);
  void ShowWindow();
  void StorePlacement();
  void ApplyFixedPitchFonts();

  bool EditKey(Edit& edit, QLineEdit* lineEdit, QKeyEvent* event);
  bool ControlClick(QWidget* widget, QMouseEvent* event);
  void ShowHintOf(QWidget* widget);
  std::string HintOf(QWidget* widget) const;
  // The hint of the item at `position` of `menu`; the menu's own where the item has none.
  void ShowMenuItemHint(QMenu* menu, const QPoint& position);

  Form& form_;
  QPointer<QWidget> window_;
  Panel* hintPanel_;
  std::unordered_map<const Control*, QObject*> objectOf_;
  std::unordered_map<const QObject*, Control*> controlOf_;
  // The keys of menu items with a shortcut, live while the item is hidden.
  std::unordered_map<const Control*, QShortcut*> hiddenKeys_;
  // Above zero while the binder itself changes widgets, whose change signals are then not input.
  int syncing_ = 0;
  bool placed_ = false;
  SettingsStore* settings_ = nullptr;
  QEventLoop* modalLoop_ = nullptr;
};

// Checks one window's widgets against its model: every control without a widget of a compatible
// class (or with several widgets of its name), and every widget or action whose objectName looks
// like a control name (Panel_, Label_, Shape_, ... prefixes, or a named action) without a control
// of that name in the model. Empty when the two match.
std::vector<std::string> SelfCheck(const Form& form, const QWidget& window);

}  // namespace zelkon::gui
