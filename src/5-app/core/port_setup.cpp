#include "core/port_setup.h"

#include <algorithm>
#include <cstring>

#include "commands/commands.h"
#include "core/monitor.h"
#include "main/port_follow.h"

namespace zelkon {

void StartupPortSetup(Monitor& app, PortSettings settings) {
  if (settings.dataBitsCode == 0) {  // nothing known: 9600, odd parity, 1 stop bit
    settings.baudCode = 7;
    settings.parityCode = 1;
    settings.stopBitsCode = 0;
  }
  settings.inputProtocol = kProtocolRxbin;
  settings.outputProtocol = kProtocolRxbin;
  settings.dataBitsCode = 3;
  settings.portIndex = 1;

  // Asked to end during the start-up wait, the program sends nothing and changes no setting.
  if (!app.SleepUnlessStopRequested(kStartupWaitMs)) return;
  SendPortSettings(app, settings);
  app.clock.SleepMs(kCommandPauseMs);
  ApplyPortSettings(app, settings, app.Form_Main.Panel_Serial);
  // The mouse cursor is never changed during start-up, so there is none to restore here.
  app.Form_Main.TimerBreak.SetEnabled(false);
  app.Form_Main.Timer_RXBIN.SetEnabled(true);
  // A receiver that sends nothing is silent from the start of polling on.
  app.state.LastPacketMs = app.clock.NowMs();
}

void TimerBreakTick(Monitor& app) {
  AppState& s = app.state;
  Polling& p = app.polling;
  if (p.BreakCountdown == 0) StartupPortSetup(app, s.PortSettings);

  // Bytes captured here are never fed to the framing.
  const int count = app.channel.CaptureRead();
  const uint8_t* buffer = app.channel.Receiver().readBuffer;
  const uint8_t* end = buffer + count;
  static constexpr uint8_t kMark[] = {'P', 'R'};
  const uint8_t* found = std::search(buffer, end, std::begin(kMark), std::end(kMark));
  if (found != end) {
    const size_t n = std::min<size_t>(p.BreakResponseText.size(), static_cast<size_t>(end - found));
    p.BreakResponseText.fill(0);
    std::memcpy(p.BreakResponseText.data(), found, n);
    const char* text = reinterpret_cast<const char*>(p.BreakResponseText.data());
    ParseBreakResponse(std::string_view(text, ::strnlen(text, p.BreakResponseText.size())),
                       s.PortSettings);
    StartupPortSetup(app, s.PortSettings);
  }
  --p.BreakCountdown;
}

}  // namespace zelkon
