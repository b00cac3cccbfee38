// The 200 ms poll tick of Timer_RXBIN: LED blink, the watch on the port, start-up queries, read and
// dispatch, and one query of a six-phase round robin (one round = 1.2 s).
#pragma once

namespace zelkon {

class Monitor;

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
