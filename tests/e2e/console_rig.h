// The monitor driven by the script console against the receiver emulator, on virtual time: a
// script's `wait 5` takes no real time.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "core/monitor.h"
#include "core/script_console.h"
#include "e2e/simulated_port.h"
#include "platform/event_loop.h"
#include "platform/headless_dialogs.h"
#include "sim/sim_harness.h"
#include "support/fake_serial_port.h"
#include "support/scripted_dialogs.h"
#include "support/virtual_clock.h"

namespace zelkon::testing {

// A receiver that fixes, surveys and completes its almanac quickly.
inline sim::SimOptions QuickConsoleReceiver(sim::Model model = sim::Model::T2K) {
  sim::SimOptions options;
  options.seed = 11;
  options.model = model;
  options.acquireSeconds = 3;
  options.surveySeconds = 60;
  options.almanacSeconds = 10;
  return options;
}

// How often `part` occurs in `text` (a log, the printed boxes), overlaps included.
inline int CountOf(const std::string& text, const std::string& part) {
  int count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
    ++count;
  return count;
}

struct ConsoleOnEmulator {
  explicit ConsoleOnEmulator(const sim::SimOptions& options = QuickConsoleReceiver(),
                             double startGps = DefaultStartGps())
      : port(clock, options, startGps) {
    // The receiver does not feed an NTP server: the question is not asked.
    settings.values["NTP"] = "0";
    app.state.ComPortNumber = 1;
    opened = app.MainFormCreate();
    // The main window shows from the start, as in the windowed program.
    app.Form_Main.Show();
  }

  // Runs `script` as the file "test.zs"; what it printed is in out, err and boxes.
  int Run(const std::string& script) {
    out.str("");
    err.str("");
    return RunScriptText(app, loop, dialogs, "test.zs", script, out, err);
  }

  // The commands the monitor wrote from now on, de-framed, id first.
  void ForgetSent() { port.written.clear(); }
  std::vector<PacketBytes> Sent() const { return Deframe(port.written); }
  // Those with this id (and, for 0x8E, this sub-code).
  std::vector<PacketBytes> Sent(uint8_t id, int subCode = -1) const {
    std::vector<PacketBytes> chosen;
    for (PacketBytes& packet : Sent()) {
      if (packet[0] == id && (subCode < 0 || (packet.size() > 1 && packet[1] == subCode))) {
        chosen.push_back(std::move(packet));
      }
    }
    return chosen;
  }

  // Those of exactly `size` bytes, id included: the set forms apart from the queries.
  std::vector<PacketBytes> SentOfSize(size_t size, uint8_t id, int subCode = -1) const {
    std::vector<PacketBytes> chosen;
    for (PacketBytes& packet : Sent(id, subCode)) {
      if (packet.size() == size) chosen.push_back(std::move(packet));
    }
    return chosen;
  }

  sim::Receiver& receiver() { return port.engine.receiver(); }

  VirtualClock clock;
  SimulatedSerialPort port;
  std::ostringstream boxes;
  HeadlessDialogs dialogs{boxes};
  MemorySettings settings;
  FakeSystemTime systemTime;
  Monitor app{Platform{port, clock, dialogs, settings, systemTime}};
  EventLoop loop{clock, app.ui, app.Timers()};
  bool opened = false;
  std::ostringstream out;
  std::ostringstream err;
};

}  // namespace zelkon::testing
