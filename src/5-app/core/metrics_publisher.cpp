#include "core/metrics_publisher.h"

#include "core/monitor.h"

namespace zelkon {
namespace {

void PublishPage(Monitor& app, MetricsPublisher& publisher) {
  MetricsTarget target{app.state.PortLabel(), app.telemetry.SerialNumber(), !app.linkLoss.PortLost,
                       app.linkLoss.PortLosses, app.polling.SilentSeconds > 0};
  for (const ReferenceClock& clock : app.referenceClocks.Clocks()) {
    target.referenceClocks.push_back({clock.feed->Name(), clock.samples, clock.lastOffsetSeconds});
  }
  publisher.Publish(BuildMetricsPage(app.telemetry, target, app.clock.NowMs()));
}

}  // namespace

void MetricsPublisher::Publish(MetricsPage page) {
  const std::lock_guard lock(mutex_);
  page_ = std::move(page);
  builtAt_ = std::chrono::steady_clock::now();
  published_ = true;
}

std::string MetricsPublisher::Text() const {
  const std::lock_guard lock(mutex_);
  if (!published_) return "";
  const auto since = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - builtAt_);
  return MetricsText(page_, since.count());
}

void PublishMetricsAfterEveryPollTick(Monitor& app, MetricsPublisher& publisher) {
  PublishPage(app, publisher);
  Timer& poll = app.Form_Main.Timer_RXBIN;
  poll.OnTimer = [&app, &publisher, tick = poll.OnTimer] {
    if (tick) tick();
    PublishPage(app, publisher);
  };
}

}  // namespace zelkon
