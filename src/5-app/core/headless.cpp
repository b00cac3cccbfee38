#include "core/headless.h"

#include "core/monitor.h"
#include "core/output.h"
#include "core/poll_loop.h"
#include "platform/event_loop.h"
#include "receiver/receiver_type.h"
#include "text/json.h"

namespace zelkon {
namespace {

// Longest idle wait of the loop, so that a stop request is noticed quickly.
constexpr int64_t kStopCheckMs = 200;

}  // namespace

std::string MainWindowJson(Monitor& app) {
  TForm_Main& f = app.Form_Main;
  JsonObject panels;
  JsonObject leds;
  for (Control* control : f.Controls()) {
    if (control->Kind() == ControlKind::Panel) {
      panels.Add(control->Name(), static_cast<Panel*>(control)->Caption());
    } else if (control->Kind() == ControlKind::Shape) {
      leds.Add(control->Name(), static_cast<Shape*>(control)->BrushColor().ToString());
    }
  }
  const int type = CheckedReceiverType(app);
  const std::string receiverType =
      type == 0 ? "null"
                : JsonString(f.ReceiverTypeItems()[static_cast<size_t>(type - 1)]->Caption());
  return JsonObject()
      .Add("title", app.Title)
      .AddRaw("receiverType", receiverType)
      .Add("pollTimingPackets", f.ControlPollingTimingPkts.Checked())
      .Add("silentSeconds", app.polling.SilentSeconds)
      .AddRaw("panels", panels.Text())
      .AddRaw("leds", leds.Text())
      .Text();
}

int RunHeadless(Monitor& app, EventLoop& loop, std::ostream& out, std::ostream& err,
                const std::atomic<bool>& stop, const std::function<bool()>& ended) {
  Timer& poll = app.Form_Main.Timer_RXBIN;
  const Handler tick = poll.OnTimer;
  int ticks = 0;
  std::string last;
  bool outputFailed = false;
  poll.OnTimer = [&] {
    if (tick) tick();
    if (++ticks % kPollPhases != 0 || outputFailed) return;
    last = MainWindowJson(app);
    outputFailed = !WriteOutput(out, err, last + '\n');
  };
  const auto finished = [&] { return stop.load() || outputFailed || (ended && ended()); };
  while (!finished())
    loop.RunUntil(finished, kStopCheckMs);
  poll.OnTimer = tick;
  if (outputFailed) return kOutputFailed;
  if (stop.load() || !ended) return 0;
  // What the decoders of the last packets left for after the packet loop belongs to the end state.
  app.ui.Drain();
  const std::string atEnd = MainWindowJson(app);
  if (atEnd != last && !WriteOutput(out, err, atEnd + '\n')) return kOutputFailed;
  return 0;
}

}  // namespace zelkon
