#include "base/application.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace zelkon {

Application::Application(const Platform& platform)
    : clock(platform.clock),
      dialogs(platform.dialogs),
      settings(platform.settings),
      systemTime(platform.systemTime),
      channel(platform.port, state.ReceivedByteCount, state.TransferCaptureFlag),
      uiThread_(std::this_thread::get_id()) {
  windows_.reserve(kUsualWindows);
  forms_.reserve(kUsualWindows);
}

bool Application::SleepUnlessStopRequested(int64_t ms) {
  if (stopRequest_ == nullptr) {
    clock.SleepMs(ms);
    return true;
  }
  for (int64_t left = ms; left > 0; left -= kStopCheckMs) {
    if (StopRequested()) return false;
    clock.SleepMs(std::min(left, kStopCheckMs));
  }
  return !StopRequested();
}

void Application::RegisterWindow(const std::type_info& type, Form& form) {
  windows_.emplace_back(&type, &form);
  forms_.push_back(&form);
}

void Application::RegisterFeature(const std::type_info& type, void* feature) {
  features_.emplace_back(&type, feature);
}

void* Application::FeatureOf(const std::type_info& type) const {
  for (const auto& [registered, feature] : features_) {
    if (*registered == type) return feature;
  }
  std::fprintf(stderr, "zelkon: no feature state of type %s is registered\n", type.name());
  std::abort();
}

Form& Application::WindowOf(const std::type_info& type) const {
  // A class has one type_info in the program, found by its address; comparing the names of the
  // classes (the equality of type_info) is left for a copy of it made elsewhere.
  for (const auto& [registered, form] : windows_) {
    if (registered == &type) return *form;
  }
  for (const auto& [registered, form] : windows_) {
    if (*registered == type) return *form;
  }
  std::fprintf(stderr, "zelkon: no window of class %s is registered\n", type.name());
  std::abort();
}

}  // namespace zelkon
