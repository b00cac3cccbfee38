// A window model: a class name, a caption, visibility, its named controls and the window events.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/controls.h"

namespace zelkon {

class FormObserver : public ControlObserver {
 public:
  // Caption (Property::Text) or visibility (Property::Visible) of the window itself.
  virtual void FormChanged(Form& form, Property property) = 0;
};

class Form {
 public:
  Form(std::string className, std::string caption, std::string hint = "");
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;
  virtual ~Form() = default;

  // "TForm_Main", "TForm_Track", ...
  const std::string& ClassName() const { return className_; }
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);

  // The window's own hint, shown where none of its controls has one.
  const std::string& Hint() const { return hint_; }

  bool Visible() const { return visible_; }
  // Makes a hidden window visible and fires OnShow. Windows are shown and hidden, never re-created.
  void Show();
  // Fires OnClose and hides the window.
  void Close();
  // The user interface calls this when the window becomes the active one.
  void Activate();

  Handler OnShow;
  Handler OnClose;
  Handler OnActivate;

  // Every control of the window, in declaration order.
  const std::vector<Control*>& Controls() const { return controls_; }
  Control* Find(std::string_view name) const;

  // The observer of the window and of all its controls.
  void SetObserver(FormObserver* observer);

 private:
  friend class Control;
  void Register(Control* control) { controls_.push_back(control); }

  static constexpr size_t kUsualControls = 64;

  std::string className_;
  std::string caption_;
  std::string hint_;
  bool visible_ = false;
  FormObserver* observer_ = nullptr;
  std::vector<Control*> controls_;
};

// N controls of one kind named prefix + number, numbered from `first`: Panel_SV1 .. Panel_SV12.
template <class T, size_t N>
class ControlArray {
 public:
  ControlArray(Form& owner, std::string_view prefix, int first = 1, const Design& design = {}) {
    for (size_t i = 0; i < N; ++i) {
      items_[i].emplace(owner, std::string(prefix) + std::to_string(first + static_cast<int>(i)),
                        design);
    }
  }
  T& operator[](size_t i) { return *items_[i]; }
  const T& operator[](size_t i) const { return *items_[i]; }
  static constexpr size_t size() { return N; }

 private:
  std::array<std::optional<T>, N> items_;
};

}  // namespace zelkon
