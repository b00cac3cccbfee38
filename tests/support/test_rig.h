// A fresh application on test seams: virtual time, a scripted port, scripted dialogs.
#pragma once

#include "core/monitor.h"
#include "platform/event_loop.h"
#include "support/fake_serial_port.h"
#include "support/scripted_dialogs.h"
#include "support/virtual_clock.h"

namespace zelkon::testing {

struct TestRig {
  VirtualClock clock;
  FakeSerialPort port{clock};
  ScriptedDialogs dialogs;
  MemorySettings settings;
  FakeSystemTime systemTime;
  Monitor app{Platform{port, clock, dialogs, settings, systemTime}};
  EventLoop loop{clock, app.ui, app.Timers()};

  // Opens COM1 as main-window creation does; the start-up port set-up runs on the first
  // TimerBreak tick.
  bool Start(int portNumber = 1) {
    app.state.ComPortNumber = portNumber;
    return app.MainFormCreate();
  }

  // What the decoders left for after the packet loop runs now: their questions, messages and
  // file dialogs, as the event loop runs them once a poll tick has ended.
  void FinishPacketLoop() { app.ui.Drain(); }
};

}  // namespace zelkon::testing
