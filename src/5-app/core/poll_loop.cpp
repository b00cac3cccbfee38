#include "core/poll_loop.h"

#include "commands/commands.h"
#include "core/link_watch.h"
#include "core/monitor.h"
#include "core/silence_watch.h"
#include "decode/status.h"
#include "main/main_display.h"

namespace zelkon {
namespace {

// An LED lit by a send or a packet stays lit for the rest of that tick and all of the next one.
void BlinkLeds(Polling& s, TForm_Main& f) {
  if (s.TxLedLit) {
    f.Shape_TxLED.SetBrushColor(colours::kGrey);
    s.TxLedLit = false;
  }
  if (s.RxLedLit) {
    f.Shape_RxLED.SetBrushColor(colours::kGrey);
    s.RxLedLit = false;
  }
  if (f.Shape_TxLED.BrushColor() == colours::kGreen) s.TxLedLit = true;
  if (f.Shape_RxLED.BrushColor() == colours::kGreen) s.RxLedLit = true;
}

// The third tick asks for the software version, the fourth for the production parameters.
void StartupQueries(Monitor& app) {
  int32_t& countdown = app.polling.StartupCountdown;
  if (countdown > 3) {
    --countdown;
  } else if (countdown == 3) {
    SendSoftwareVersionQuery(app);
    --countdown;
  } else if (countdown == 2) {
    SendProductionParamsQuery(app);
    countdown = 0;
  } else if (countdown == 0) {
    countdown = -1;
  }
}

}  // namespace

void TimeoutStep(Monitor& app) {
  AppState& s = app.state;
  const MenuItem& timingPolling = app.Form_Main.ControlPollingTimingPkts;
  ExpireTrackingChannels(app);
  // A recording's reports pause only when it is played slowly: its display stays.
  if (s.Replaying) return;
  if (--s.TimeCountdown == 0) {
    ClearMainDisplay(app, false);
    if (!timingPolling.Checked()) GreyTimingPanels(app);
  }
  if (--s.TimingStatusCountdown == 0 && !timingPolling.Checked()) GreyTimingPanels(app);
}

void PollTick(Monitor& app) {
  Polling& s = app.polling;
  BlinkLeds(s, app.Form_Main);
  if (WatchLink(app)) {
    // Nothing to read or send; the satellite rows age out as they do for a silent receiver.
    s.PollPhase = (s.PollPhase + 1) % kPollPhases;
    if (s.PollPhase == 2) ExpireTrackingChannels(app);
    WatchSilence(app);
    return;
  }
  StartupQueries(app);
  app.ReadAndDispatchReports();
  WatchSilence(app);

  s.PollPhase = (s.PollPhase + 1) % kPollPhases;
  const bool timingPolling = app.Form_Main.ControlPollingTimingPkts.Checked();
  switch (s.PollPhase) {
    case 0:
      SendSatelliteSelectionQuery(app);
      break;
    case 1:
      SendTrackingStatusQuery(app);
      break;
    case 2:
      TimeoutStep(app);
      break;
    case 3:
      timingPolling ? SendTimingPacketsQuery(app) : SendTimeQuery(app);
      break;
    case 4:
      timingPolling ? SendTimingPacketsQuery(app) : SendHealthQuery(app);
      break;
    case 5:
      if (!timingPolling) SendComprehensiveTimeQuery(app);
      break;
  }
}

}  // namespace zelkon
