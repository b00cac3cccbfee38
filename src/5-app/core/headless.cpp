#include "core/headless.h"

#include <cstdio>

#include "core/monitor.h"
#include "core/poll_loop.h"
#include "platform/event_loop.h"
#include "receiver/receiver_type.h"

namespace zelkon {
namespace {

// Longest idle wait of the loop, so that a stop request is noticed quickly.
constexpr int64_t kStopCheckMs = 200;

std::string JsonString(const std::string& text) {
  std::string json = "\"";
  for (const char c : text) {
    switch (c) {
      case '"':
        json += "\\\"";
        break;
      case '\\':
        json += "\\\\";
        break;
      case '\n':
        json += "\\n";
        break;
      case '\r':
        json += "\\r";
        break;
      case '\t':
        json += "\\t";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
          json += escaped;
        } else {
          json += c;  // UTF-8 passes through
        }
    }
  }
  return json + "\"";
}

}  // namespace

std::string MainWindowJson(Monitor& app) {
  TForm_Main& f = app.Form_Main;
  std::string panels;
  std::string leds;
  for (Control* control : f.Controls()) {
    if (control->Kind() == ControlKind::Panel) {
      if (!panels.empty()) panels += ',';
      panels +=
          JsonString(control->Name()) + ':' + JsonString(static_cast<Panel*>(control)->Caption());
    } else if (control->Kind() == ControlKind::Shape) {
      if (!leds.empty()) leds += ',';
      const Colour colour = static_cast<Shape*>(control)->BrushColor();
      leds += JsonString(control->Name()) + ':' + JsonString(colour.ToString());
    }
  }
  const int type = CheckedReceiverType(app);
  const std::string receiverType =
      type == 0 ? "null"
                : JsonString(f.ReceiverTypeItems()[static_cast<size_t>(type - 1)]->Caption());
  return "{\"title\":" + JsonString(app.Title) + ",\"receiverType\":" + receiverType +
         ",\"pollTimingPackets\":" + (f.ControlPollingTimingPkts.Checked() ? "true" : "false") +
         ",\"panels\":{" + panels + "},\"leds\":{" + leds + "}}";
}

void RunHeadless(Monitor& app, EventLoop& loop, std::ostream& out, const std::atomic<bool>& stop) {
  Timer& poll = app.Form_Main.Timer_RXBIN;
  const Handler tick = poll.OnTimer;
  int ticks = 0;
  poll.OnTimer = [&] {
    if (tick) tick();
    if (++ticks % kPollPhases == 0) out << MainWindowJson(app) << std::endl;
  };
  while (!stop.load())
    loop.RunFor(kStopCheckMs);
  poll.OnTimer = tick;
}

}  // namespace zelkon
