#include "main/port_follow.h"

#include "base/application.h"
#include "main/main_form.h"

namespace zelkon {

void ApplyPortSettings(Application& app, const PortSettings& settings, Panel& panel) {
  app.Window<TForm_Main>().TimerBreak.SetEnabled(false);
  app.clock.SleepMs(kPortSettleMs);
  panel.SetCaption(PortSettingsText(app.state.PortLabel(), settings));
  app.state.LinkReady = false;
  app.channel.Drain();
  app.clock.SleepMs(kPortSettleMs);
  app.channel.Configure(LineSettingsFor(settings));
  app.clock.SleepMs(kPortSettleMs);
  app.state.LinkReady = true;
}

}  // namespace zelkon
