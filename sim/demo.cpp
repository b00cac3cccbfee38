#include "sim/demo.h"

#include "sim/gps_time.h"

namespace zelkon::sim {

SimOptions DemoOptions() {
  SimOptions options;
  options.pty = true;
  options.surveySeconds = 120;
  options.almanacSeconds = 20;
  options.breakText = std::string();
  return options;
}

DemoReceiver::DemoReceiver(const SimOptions& options) : options_(options) {}

DemoReceiver::~DemoReceiver() { Stop(); }

std::string DemoReceiver::Start() {
  if (server_) return {};
  const double startGps = options_.startGps.value_or(NowUtcSeconds() + kUtcOffset);
  server_ = std::make_unique<Server>(options_, clock_, startGps);
  const std::string path = server_->OpenPty();
  if (path.empty()) {
    server_.reset();
    return {};
  }
  stop_ = false;
  thread_ = std::thread([this] { server_->Run(stop_); });
  return path;
}

void DemoReceiver::Stop() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  server_.reset();
}

}  // namespace zelkon::sim
