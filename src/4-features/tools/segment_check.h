// The segment check of the reset diagnostics: after a factory reset, were the six configuration
// segments the test had modified and saved brought back to their defaults? It runs on the one
// worker thread of the program, queries through the common send path while the poll loop goes on,
// and hands its report (to the message log) or its failure (a message box) to the user-interface
// thread.
#pragma once

#include <string>

namespace zelkon {

class Application;
struct SegmentReadback;

// Passes of queries before the check gives up, and the wait after each pass.
inline constexpr int kSegmentCheckPasses = 25;
inline constexpr int kSegmentCheckPassMs = 200;

// The values the test writes after a factory reset, by which the check recognises a segment that
// kept them.
inline constexpr float kModifiedAltitude = 100.0f;
inline constexpr int kModifiedDatum = 5;
inline constexpr int kModifiedParity = 0;  // none
inline constexpr int kModifiedTimingOption = 2;
inline constexpr int kModifiedSurveyLimit = 100;
inline constexpr int kModifiedNmeaInterval = 10;

// The text the check writes to the message log from complete read-back values: the segments still
// modified, or "All segments returned to default:\r\n". `portIndex` is the receiver port whose
// parity is examined (0 port A, 1 port B).
std::string SegmentCheckReport(const SegmentReadback& values, int portIndex);

// Stops a check still running, then starts a new one on the port of DiagnosticsPortIndex. Callable
// from a decoder: a failure to start is shown after the packet loop.
void StartSegmentCheck(Application& app);

}  // namespace zelkon
