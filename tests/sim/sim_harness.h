// Drives the receiver emulator in-process on simulated time: commands go in through the program's
// own command builders, replies come out through its receive state machine.
#pragma once

#include <cmath>
#include <vector>

#include "commands/command_sender.h"
#include "sim/engine.h"
#include "sim/gps_time.h"
#include "support/fake_serial_port.h"

namespace zelkon::testing {

// 16 June 2024 12:00:00 UTC, as GPS seconds.
inline double DefaultStartGps() {
  return static_cast<double>(sim::SecondsOf({2024, 6, 16, 12, 0, 0}) + sim::kUtcOffset);
}

class SimHarness final : public CommandSender {
 public:
  explicit SimHarness(const sim::SimOptions& options = {}, double startGps = DefaultStartGps())
      : options_(options), engine(options_, startGps), now(startGps) {}

  // The command goes in framed as the monitor writes it.
  void SendCommand(std::span<const uint8_t> packet) override {
    const std::vector<uint8_t> frame = Frame(PacketBytes(packet.begin(), packet.end()));
    engine.Receive(frame.data(), frame.size());
  }

  // Simulated time passes in 100 ms turns, as the emulator's serving loop would see it.
  void Run(double seconds) {
    const double end = now + seconds;
    while (now < end) {
      now = std::min(end, now + 0.1);
      engine.Advance(now);
    }
  }

  // What the emulator sent since the last call, de-framed: id first, then the payload.
  std::vector<PacketBytes> Replies() { return Deframe(engine.TakeOutput()); }

  // The replies with this id (and sub-code, for superpackets).
  static std::vector<PacketBytes> Only(const std::vector<PacketBytes>& packets, int id,
                                       int subCode = -1) {
    std::vector<PacketBytes> found;
    for (const auto& packet : packets) {
      if (packet[0] == id && (subCode < 0 || (packet.size() > 1 && packet[1] == subCode))) {
        found.push_back(packet);
      }
    }
    return found;
  }

 private:
  sim::SimOptions options_;

 public:
  sim::Engine engine;
  double now;
};

}  // namespace zelkon::testing
