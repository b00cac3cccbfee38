// The metrics page handed from the user-interface thread, which builds it, to the endpoint's
// thread, which serves it.
#pragma once

#include <chrono>
#include <mutex>
#include <string>

#include "core/metrics.h"

namespace zelkon {

class Monitor;

// Hands the newest page from the user-interface thread to the server's thread.
class MetricsPublisher {
 public:
  void Publish(MetricsPage page);
  // The exposition of the newest page, its report age counted on to now; empty before the first
  // page. Any thread.
  std::string Text() const;

 private:
  mutable std::mutex mutex_;
  MetricsPage page_;
  std::chrono::steady_clock::time_point builtAt_;
  bool published_ = false;
};

// Publishes the application's page now and after every tick of the poll timer. The page follows
// the poll tick rather than a timer of its own: each page then holds everything the tick's
// decoders wrote, the poll timer is the one every run without windows has (the plain run and the
// script console alike), and a replay whose poll timer has stopped leaves its final page.
void PublishMetricsAfterEveryPollTick(Monitor& app, MetricsPublisher& publisher);

}  // namespace zelkon
