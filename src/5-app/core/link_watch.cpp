#include "core/link_watch.h"

#include <algorithm>
#include <string>

#include "core/monitor.h"
#include "events/receiver_events.h"
#include "link/remote_address.h"
#include "link/system_error.h"
#include "main/main_display.h"
#include "text/printf.h"
#include "views/message_log.h"

namespace zelkon {
namespace {

// "2026-12-10 05:40:12 UTC serial port /dev/ttyUSB0 lost", by the PC's clock: when the receiver
// itself is gone, the PC's clock is the only one left to say when.
void LogLinkEvent(Monitor& app, const std::string& what) {
  MessageLogLine(app, "serial port " + app.state.PortLabel() + " " + what);
}

// One attempt a second, doubled after each loss that came before the link was steady.
int32_t NextReopenInterval(const LinkLoss& s) {
  const bool flapping = s.TicksSinceReopen >= 0 && s.TicksSinceReopen < kSteadyLinkTicks;
  if (!flapping) return kReopenIntervalTicks;
  return std::min(2 * s.ReopenIntervalTicks, kMaxReopenIntervalTicks);
}

void LosePort(Monitor& app) {
  AppState& s = app.state;
  LinkLoss& loss = app.linkLoss;
  TForm_Main& f = app.Form_Main;
  loss.PortLost = true;
  ++loss.PortLosses;
  NotePortLost(app, true);
  loss.ReopenIntervalTicks = NextReopenInterval(loss);
  loss.ReopenCountdown = loss.ReopenIntervalTicks;
  s.LinkReady = false;  // a worker's commands are dropped until the port is back

  // What arrived before the hang-up is still read, then the display is cleared as it is once a
  // silent receiver's time and timing reports have run out.
  ClearMainDisplay(app, false);
  if (!f.ControlPollingTimingPkts.Checked()) GreyTimingPanels(app);
  s.TimeCountdown = 0;
  s.TimingStatusCountdown = 0;
  app.channel.CloseChannel();

  f.Panel_Serial.SetCaption(s.PortLabel() + " lost");
  if (loss.ReopenIntervalTicks > kReopenIntervalTicks) {
    // Lost again before it was steady: the box has said so already, the log keeps the count.
    LogLinkEvent(app, Printf("lost again; next attempt in %d s",
                             loss.ReopenIntervalTicks / kReopenIntervalTicks));
    return;
  }
  LogLinkEvent(app, "lost");
  if (loss.PortLossBoxPending) return;
  loss.PortLossBoxPending = true;
  app.AfterPacketLoop([&app] {
    app.dialogs.MessageBox("Lost " + app.state.PortLabel() +
                               ": the device hung up or went away. It is opened again as soon "
                               "as it returns.",
                           "Serial Port Error", Buttons::Ok, Icon::Exclamation);
    app.linkLoss.PortLossBoxPending = false;
  });
}

// A port on another machine that does not answer is asked less and less often (each attempt may
// hold the poll loop for up to a second), up to kMaxReopenIntervalTicks; the log says once why it
// is not open (a local device that is gone needs no more words than its loss).
void ReopenFailed(Monitor& app) {
  LinkLoss& s = app.linkLoss;
  if (!IsRemotePortName(app.state.DevicePath)) return;
  if (!s.ReopenFailureSaid) {
    s.ReopenFailureSaid = true;
    LogLinkEvent(app, "not open: " + app.channel.OpenFailure() + "; tried again until it answers");
  }
  s.ReopenIntervalTicks = std::min(2 * s.ReopenIntervalTicks, kMaxReopenIntervalTicks);
  s.ReopenCountdown = s.ReopenIntervalTicks;
}

}  // namespace

void StartWithPortLost(Monitor& app) {
  AppState& s = app.state;
  LinkLoss& loss = app.linkLoss;
  loss.PortLost = true;
  loss.ReopenIntervalTicks = kReopenIntervalTicks;
  loss.ReopenCountdown = loss.ReopenIntervalTicks;
  loss.ReopenFailureSaid = true;
  s.LinkReady = false;
  NotePortLost(app, true,
               "Could not open " + s.PortLabel() + ": " + app.channel.OpenFailure() + ".");
  app.Form_Main.Panel_Serial.SetCaption(s.PortLabel() + " not open");
  // The poll loop runs without a port, trying it again.
  app.Form_Main.Timer_RXBIN.SetEnabled(true);
  LogLinkEvent(app, "not open: " + app.channel.OpenFailure() + "; tried again until it answers");
  app.AfterPacketLoop([&app] {
    app.dialogs.MessageBoxWithDetail(
        "Could not open " + app.state.PortLabel() + ". It is tried again until it answers.",
        AsSentence(app.channel.OpenFailure()), "Serial Port Error", Buttons::Ok, Icon::Exclamation);
  });
}

bool WatchLink(Monitor& app) {
  LinkLoss& s = app.linkLoss;
  if (!s.PortLost) {
    if (!app.channel.HungUp()) {
      if (s.TicksSinceReopen >= 0 && s.TicksSinceReopen < kSteadyLinkTicks) ++s.TicksSinceReopen;
      return false;
    }
    LosePort(app);
    return true;
  }
  if (--s.ReopenCountdown > 0) return true;
  s.ReopenCountdown = s.ReopenIntervalTicks;
  if (!app.OpenPort()) {
    ReopenFailed(app);
    return true;
  }
  s.PortLost = false;
  s.ReopenFailureSaid = false;
  s.TicksSinceReopen = 0;
  LogLinkEvent(app, "open again");
  NotePortLost(app, false);
  return true;  // the start-up port set-up has the port now
}

}  // namespace zelkon
