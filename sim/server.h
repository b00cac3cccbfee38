// Serves the emulated receiver on a pseudo-terminal or a serial device, in real time.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "link/posix_serial_port.h"
#include "platform/clock.h"
#include "sim/engine.h"
#include "sim/sim_options.h"

namespace zelkon::sim {

class Server {
 public:
  // `startGps`: the GPS time when Run starts counting.
  Server(const SimOptions& options, Clock& clock, double startGps);
  ~Server();
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  // Creates a pseudo-terminal pair; returns the path of the side the monitor opens, or an empty
  // string on failure. Output goes out only while that side is open.
  std::string OpenPty();
  // Opens a serial device at the receiver port's settings; false on failure.
  bool OpenDevice(const std::string& path);

  // Serves until `stop` becomes true: answers commands, sends broadcasts, counts events (a pulse on
  // the monitor's RTS line; on a pseudo-terminal, the flow-control stop and start it sends
  // instead).
  void Run(const std::atomic<bool>& stop);

  Engine& engine() { return engine_; }

 private:
  double GpsNow();
  void ReadFromPty();
  void ReadFromDevice();
  void CountModemLineEvents();
  void Flush();

  const SimOptions& options_;
  Clock& clock_;
  Engine engine_;
  double startGps_;
  int64_t startMs_ = 0;

  int ptyMaster_ = -1;
  std::unique_ptr<PosixSerialPort> device_;
  bool connected_ = false;
  std::vector<uint8_t> pending_;
  int lastCts_ = -1;       // modem line state, or -1 before the first look
  int lastCtsCount_ = -1;  // transitions counted by the driver, or -1 where it cannot count
};

}  // namespace zelkon::sim
