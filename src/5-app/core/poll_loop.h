// The 200 ms poll tick of Timer_RXBIN: LED blink, the watch on the port, start-up queries, read and
// dispatch, and one query of a six-phase round robin (one round = 1.2 s).
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace zelkon {

class Monitor;

inline constexpr int kBreakResponseSize = 200;

// The state of the poll loop, the silence watch and the start-up port set-up, held by the monitor.
struct Polling {
  int32_t StartupCountdown = 0;
  int32_t PollPhase = 0;
  bool TxLedLit = false;
  bool RxLedLit = false;
  // The whole seconds the status bar says the receiver has been silent; 0 while it says nothing.
  int32_t SilentSeconds = 0;
  // What Panel_Hint showed before the silence notice took its place, and a hint the mouse brought
  // up over the notice with the time it came (-1 for none).
  std::string HintBeforeSilence;
  std::string HintOverSilence;
  int64_t HintOverSilenceSinceMs = -1;
  // The start-up port set-up: poll ticks left, and what the receiver answered.
  int32_t BreakCountdown = 0;
  std::array<uint8_t, kBreakResponseSize> BreakResponseText{};
};

// Countdown value of StartupCountdown when the poll loop starts.
inline constexpr int kStartupCountdownStart = 5;
// Poll rounds a time report keeps the main display alive for.
inline constexpr int kDisplayCountdownStart = 5;
inline constexpr int kPollPhases = 6;

// The OnTimer handler of Timer_RXBIN.
void PollTick(Monitor& app);

// Phase 2 of the round robin: ages the satellite rows and clears the displays once time and timing
// reports have stopped for kDisplayCountdownStart rounds.
void TimeoutStep(Monitor& app);

}  // namespace zelkon
