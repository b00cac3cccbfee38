// The emulated receiver behind its serial port: commands in, reports out. It answers queries,
// applies settings, sends what the broadcast masks ask for once a second, counts events, and adds
// the faults it was asked for. It does no I/O of its own, so tests drive it on any clock.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "link/framing.h"
#include "sim/packet.h"
#include "sim/random.h"
#include "sim/receiver.h"
#include "sim/sim_options.h"

namespace zelkon::sim {

class Engine {
 public:
  Engine(const SimOptions& options, double startGps);

  // Moves time on (GPS seconds). At each new whole second: the broadcasts the masks ask for, and
  // a fatal-error report when one is due. Seconds skipped in one move are not broadcast.
  void Advance(double gps);
  // Bytes from the monitor; every complete command is handled at the current time.
  void Receive(const uint8_t* bytes, size_t length);
  // A pulse on the event input.
  void Event();
  // A monitor connected to the port: the start-up port-settings text may go out again.
  void Connected() { breakTextSent_ = false; }

  // Framed bytes to send (and start-up text), faults applied; empties the buffer.
  std::vector<uint8_t> TakeOutput();
  // New settings of the port the monitor is on, once, after a port-settings command changed them.
  std::optional<PortSettings> TakePortChange();

  Receiver& receiver() { return receiver_; }
  const Receiver& receiver() const { return receiver_; }

 private:
  void Handle(const Packet& command);
  void HandleSuperpacket(const Packet& command);
  void Reply(const Packet& report);
  void Broadcast(double second);
  void SendFatal(double second);
  // A reset command arrived: the fatal report that follows resets is due again.
  void ResetCommanded();
  void SendEventReports();
  void SendAutomaticOutputs();
  bool Silent() const;
  // The bits of broadcast mask 1 for the port the monitor is on.
  uint8_t SyncComprehensiveBit() const;
  uint8_t EventComprehensiveBit() const;
  uint8_t SyncUtcTimeBit() const;
  uint8_t EventUtcTimeBit() const;
  std::string BreakText() const;

  const SimOptions& options_;
  Receiver receiver_;
  std::unique_ptr<PacketReceiver> commands_;
  Random faults_;
  std::vector<uint8_t> output_;
  std::optional<PortSettings> portChange_;
  double startGps_;
  double lastSecond_;
  double nextFatal_;
  int fatalCount_ = 0;
  // When the fatal report that follows the last reset is due.
  std::optional<double> fatalAfterResetAt_;
  int almanacCursor_ = 0;
  bool breakTextSent_ = false;
};

}  // namespace zelkon::sim
