#include "base/application.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace zelkon {
namespace {

// What was registered under `type`; ends the program when nothing was, a fault of the registry
// that every test run finds at once. A class has one type_info in the program, found by its
// address; comparing the names of the classes (the equality of type_info) is left for a copy of
// it made elsewhere.
template <class T>
T* Registered(const std::vector<std::pair<const std::type_info*, T*>>& list,
              const std::type_info& type, const char* what) {
  for (const auto& [registered, item] : list) {
    if (registered == &type) return item;
  }
  for (const auto& [registered, item] : list) {
    if (*registered == type) return item;
  }
  std::fprintf(stderr, "zelkon: no %s %s is registered\n", what, type.name());
  std::abort();
}

}  // namespace

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
  return Registered(features_, type, "feature state of type");
}

Form& Application::WindowOf(const std::type_info& type) const {
  return *Registered(windows_, type, "window of class");
}

}  // namespace zelkon
