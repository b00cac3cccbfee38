// The receiver emulator inside the monitor's own process, for the demo: a pseudo-terminal served
// by a thread, which the monitor opens like any serial device.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "platform/clock.h"
#include "sim/server.h"
#include "sim/sim_options.h"

namespace zelkon::sim {

// A receiver that is quick to show everything: a short self-survey, almanac soon complete, the
// start-up port-settings text.
SimOptions DemoOptions();

class DemoReceiver {
 public:
  explicit DemoReceiver(const SimOptions& options = DemoOptions());
  ~DemoReceiver();
  DemoReceiver(const DemoReceiver&) = delete;
  DemoReceiver& operator=(const DemoReceiver&) = delete;

  // Starts serving; returns the device the monitor opens, or an empty string on failure.
  std::string Start();
  void Stop();

 private:
  SimOptions options_;
  SteadyClock clock_;
  std::unique_ptr<Server> server_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace zelkon::sim
