// The windows the user interface has a .ui file for (gui/forms/<ClassName>.ui), and how each
// top-level widget is made from it.
#pragma once

#include <QWidget>
#include <memory>
#include <string_view>
#include <vector>

#include "binder.h"

namespace zelkon {
class Application;
class Monitor;
}  // namespace zelkon

namespace zelkon::gui {

struct WindowType {
  const char* className;  // "TForm_Main": the model's class name and the .ui file's
  QWidget* (*create)();   // a new hidden top-level widget built from the .ui; the caller owns it
};

// Every registered window, the main window first.
const std::vector<WindowType>& WindowTypes();
// nullptr when no window of that class is registered.
const WindowType* FindWindowType(std::string_view className);

// The application's model of a window; nullptr for a class the application has no model of (such
// as the port chooser, which exists before the application).
Form* FindForm(Application& app, std::string_view className);

// A window's widget with the binder between it and its model. The binder goes first.
struct BoundWindow {
  std::unique_ptr<QWidget> widget;
  std::unique_ptr<Binder> binder;
};

// Builds the window of `type` and binds it to `form`; hints go to `hintPanel`.
BoundWindow CreateBoundWindow(const WindowType& type, Form& form, Panel* hintPanel);

// Creates and binds every registered window the application has a model for, the main window
// first, each hidden until its model shows it. Hints go to the main window's status field.
std::vector<BoundWindow> CreateWindows(Monitor& app);

}  // namespace zelkon::gui
