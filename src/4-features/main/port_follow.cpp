#include "main/port_follow.h"

#include "base/application.h"
#include "main/main_form.h"

namespace zelkon {

void ApplyPortSettings(Application& app, const PortSettings& settings, Panel& panel) {
  app.Window<TForm_Main>().TimerBreak.SetEnabled(false);
  app.clock.SleepMs(kPortSettleMs);
  // A replay keeps naming its recording: its port has no line settings.
  if (!app.state.Replaying) panel.SetCaption(PortSettingsText(app.state.PortLabel(), settings));
  app.state.LinkReady = false;
  // A worker thread may be past its LinkReady check: its frame waits for, or is dropped by, the
  // hold, never cut by the new settings.
  app.channel.HoldSends(true);
  app.channel.Drain();
  app.clock.SleepMs(kPortSettleMs);
  app.channel.Configure(LineSettingsFor(settings));
  app.clock.SleepMs(kPortSettleMs);
  app.channel.HoldSends(false);
  app.state.LinkReady = true;
}

}  // namespace zelkon
