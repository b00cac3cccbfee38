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
  windows_.emplace_back(type, &form);
  forms_.push_back(&form);
}

void Application::RegisterFeature(const std::type_info& type, void* feature) {
  features_.emplace_back(type, feature);
}

void* Application::FeatureOf(const std::type_info& type) const {
  const std::type_index wanted(type);
  for (const auto& [index, feature] : features_) {
    if (index == wanted) return feature;
  }
  std::fprintf(stderr, "zelkon: no feature state of type %s is registered\n", type.name());
  std::abort();
}

Form& Application::WindowOf(const std::type_info& type) const {
  const std::type_index wanted(type);
  for (const auto& [index, form] : windows_) {
    if (index == wanted) return *form;
  }
  std::fprintf(stderr, "zelkon: no window of class %s is registered\n", type.name());
  std::abort();
}

}  // namespace zelkon
