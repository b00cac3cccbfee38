#include "windows.h"

#include <QDialog>
#include <QMainWindow>

#include "core/application.h"
#include "ui_TForm_About.h"
#include "ui_TForm_AddTiming.h"
#include "ui_TForm_Comm.h"
#include "ui_TForm_EphemStat.h"
#include "ui_TForm_InitialPos.h"
#include "ui_TForm_InitialTime.h"
#include "ui_TForm_Main.h"
#include "ui_TForm_Product.h"
#include "ui_TForm_RawMeas.h"
#include "ui_TForm_Track.h"
#include "ui_TForm_VelPos.h"

namespace zelkon::gui {
namespace {

template <class Ui, class Root>
QWidget* Create() {
  auto* root = new Root;
  Ui ui;
  ui.setupUi(root);
  return root;
}

#define ZELKON_WINDOW(ClassName, Root) \
  WindowType { #ClassName, &Create < Ui::ClassName, Root> }

}  // namespace

const std::vector<WindowType>& WindowTypes() {
  static const std::vector<WindowType> types = {
      ZELKON_WINDOW(TForm_Main, QMainWindow),    ZELKON_WINDOW(TForm_Comm, QDialog),
      ZELKON_WINDOW(TForm_About, QDialog),       ZELKON_WINDOW(TForm_Track, QDialog),
      ZELKON_WINDOW(TForm_RawMeas, QDialog),     ZELKON_WINDOW(TForm_EphemStat, QDialog),
      ZELKON_WINDOW(TForm_Product, QDialog),     ZELKON_WINDOW(TForm_VelPos, QDialog),
      ZELKON_WINDOW(TForm_AddTiming, QDialog),   ZELKON_WINDOW(TForm_InitialPos, QDialog),
      ZELKON_WINDOW(TForm_InitialTime, QDialog),
  };
  return types;
}

#undef ZELKON_WINDOW

const WindowType* FindWindowType(std::string_view className) {
  for (const WindowType& type : WindowTypes()) {
    if (className == type.className) return &type;
  }
  return nullptr;
}

Form* FindForm(Application& app, std::string_view className) {
  std::vector<Form*> forms = app.Forms();
  forms.push_back(&app.Form_About);
  for (Form* form : forms) {
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

std::vector<BoundWindow> CreateWindows(Application& app) {
  std::vector<BoundWindow> windows;
  for (const WindowType& type : WindowTypes()) {
    if (Form* form = FindForm(app, type.className)) {
      windows.push_back(CreateBoundWindow(type, *form, &app.Form_Main.Panel_Hint));
    }
  }
  return windows;
}

}  // namespace zelkon::gui
