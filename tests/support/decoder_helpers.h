// Helpers of the decoder tests: feeding a payload to the route of its report, and watching every
// window.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/dispatcher.h"
#include "core/monitor.h"

namespace zelkon::testing {

// One packet of report `id` through the dispatcher's lookup and the report's route.
inline void Decode(uint8_t id, Application& app, const std::vector<uint8_t>& payload) {
  DispatchReport(app, id, payload);
}

// Every property change of every window, as "TForm_X.Control", in order.
class ChangeLog final : public FormObserver {
 public:
  explicit ChangeLog(Application& app) : app_(app) {
    for (Form* form : app_.Forms())
      form->SetObserver(this);
  }
  ~ChangeLog() override {
    for (Form* form : app_.Forms())
      form->SetObserver(nullptr);
  }
  ChangeLog(const ChangeLog&) = delete;
  ChangeLog& operator=(const ChangeLog&) = delete;

  void ControlChanged(Control& control, Property) override {
    changes.push_back(control.Owner().ClassName() + "." + control.Name());
  }
  void FormChanged(Form& form, Property) override { changes.push_back(form.ClassName()); }

  std::vector<std::string> changes;

 private:
  Application& app_;
};

}  // namespace zelkon::testing
