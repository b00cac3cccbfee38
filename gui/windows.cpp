#include "windows.h"

#include <QDialog>
#include <QMainWindow>

#include "core/monitor.h"
#include "main/comm_form.h"
#include "ui_forms.h"

namespace zelkon::gui {
namespace {

// The main window has the menus; every other window is a dialog.
template <class Model>
using RootOf = std::conditional_t<std::is_same_v<Model, TForm_Main>, QMainWindow, QDialog>;

template <class Model, class Ui>
QWidget* Create() {
  auto* root = new RootOf<Model>;
  Ui ui;
  ui.setupUi(root);
  return root;
}

}  // namespace

const std::vector<WindowType>& WindowTypes() {
#define ZELKON_QT_WINDOW(Class, ...) WindowType{#Class, &Create<Class, Ui::Class>},
  // The registry's windows, then the port chooser, which exists before the application.
  static const std::vector<WindowType> types = {
      ZELKON_WINDOWS(ZELKON_QT_WINDOW)  //
      WindowType{"TForm_Comm", &Create<TForm_Comm, Ui::TForm_Comm>},
  };
#undef ZELKON_QT_WINDOW
  return types;
}

const WindowType* FindWindowType(std::string_view className) {
  for (const WindowType& type : WindowTypes()) {
    if (className == type.className) return &type;
  }
  return nullptr;
}

Form* FindForm(Application& app, std::string_view className) {
  for (Form* form : app.Forms()) {
    if (form->ClassName() == className) return form;
  }
  return nullptr;
}

BoundWindow CreateBoundWindow(const WindowType& type, Form& form, Panel* hintPanel) {
  BoundWindow window;
  window.widget.reset(type.create());
  window.binder = std::make_unique<Binder>(form, *window.widget, hintPanel);
  return window;
}

std::vector<BoundWindow> CreateWindows(Monitor& app) {
  std::vector<BoundWindow> windows;
  for (const WindowType& type : WindowTypes()) {
    if (Form* form = FindForm(app, type.className)) {
      windows.push_back(CreateBoundWindow(type, *form, &app.Form_Main.Panel_Hint));
      windows.back().binder->RememberPlacement(app.settings);
    }
  }
  return windows;
}

}  // namespace zelkon::gui
