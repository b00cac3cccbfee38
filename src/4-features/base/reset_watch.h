// What the report dispatcher, the decoders and the diagnostics window share: the state of the reset
// stress test and of the I/O meter.
#pragma once

#include <cstdint>
#include <string>

namespace zelkon {

struct ResetTest {
  // The test is running.
  bool running = false;
  // Set for every dispatched packet while the test runs; the test clears it once a second to
  // notice a receiver that stopped talking.
  bool ResetTestPacketSeen = false;

  int32_t elapsedSeconds = 0;
  // Seconds, read at Start when the length or the interval is "Timed".
  int32_t testLength = 0;
  int32_t resetInterval = 0;
  // Item indexes of the length, interval and reset-type groups, read at Start.
  int32_t lengthMode = 0;
  int32_t intervalMode = 0;
  int32_t resetType = 0;
  int32_t numResets = 0;
  // Kind 0..4 of the last reset commanded; -1 before the first.
  int32_t currentReset = -1;
  int32_t errorCount = 0;
  int32_t exceptionCount = 0;
  // The name of the last reset with its line end, "Cold Reset\r\n".
  std::string LastResetText;
};

// The average rate of received bytes since the meter was last reset.
struct IoMeter {
  int32_t ioTicks = 0;
};

}  // namespace zelkon
