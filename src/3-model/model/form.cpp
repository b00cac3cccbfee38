#include "model/form.h"

namespace zelkon {

Form::Form(std::string className, std::string caption, std::string hint)
    : className_(std::move(className)), caption_(std::move(caption)), hint_(std::move(hint)) {
  // Room for the controls of most windows, so that registering them does not regrow the list.
  controls_.reserve(kUsualControls);
}

void Form::SetCaption(const std::string& caption) {
  if (caption_ == caption) return;
  caption_ = caption;
  if (observer_ != nullptr) observer_->FormChanged(*this, Property::Text);
}

void Form::Show() {
  if (visible_) return;
  visible_ = true;
  if (observer_ != nullptr) observer_->FormChanged(*this, Property::Visible);
  if (OnShow) OnShow();
}

void Form::Close() {
  if (OnClose) OnClose();
  if (!visible_) return;
  visible_ = false;
  if (observer_ != nullptr) observer_->FormChanged(*this, Property::Visible);
}

void Form::Activate() {
  if (OnActivate) OnActivate();
}

Control* Form::Find(std::string_view name) const {
  for (Control* control : controls_) {
    if (control->Name() == name) return control;
  }
  return nullptr;
}

void Form::SetObserver(FormObserver* observer) {
  observer_ = observer;
  for (Control* control : controls_)
    control->SetObserver(observer);
}

}  // namespace zelkon
