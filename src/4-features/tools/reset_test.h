// The diagnostics window: the reset stress test, the I/O meter and the product-type setter, and the
// hooks by which the dispatcher and the decoders tell the test what the receiver reported.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace zelkon {

class Application;
class TForm_Diagnostics;

// The reset kinds of the test, by item of "Reset Type".
enum ResetKind : int {
  kColdReset,
  kWarmReset,
  kFactoryAllReset,
  kFactoryNavReset,
  kFactoryConfigReset,
  kResetKinds,
};

// "Cold Reset\r\n", "Factory Reset (All)\r\n", ...
const char* ResetText(int kind);
// "H:MM:SS" of a test's elapsed seconds; the hours wrap at 24.
std::string DurationText(int32_t seconds);
// A whole number of seconds from a window's edit ("%ld": leading blanks and a sign allowed, what
// follows the digits ignored); nothing when the text does not begin with one that fits 32 bits.
std::optional<int32_t> ScanSeconds(const std::string& text);

// A supplemental timing report said satellites are usable: in "When Tracking" mode the next reset
// is due. Nothing happens while the test is not running.
void ResetTestOnTracking(Application& app);
// The receiver reported a fatal error or a fatal exception: counted while the test runs.
void ResetTestOnFatalError(Application& app);
void ResetTestOnFatalException(Application& app);

// Start, Stop and the once-a-second tick, as the window's buttons and timer run them. Start refuses
// a timed length or interval that is not a whole number of seconds above 0, naming the field, and
// then changes nothing.
void StartResetTest(Application& app);
void StopResetTest(Application& app);
void DiagnosticsTimerTick(Application& app);
void ResetIoUtilization(Application& app);

// Connects the window's handlers, and the main window's menu item and serial-activity panel, which
// open it only in engineering mode.
void WireDiagnosticsWindow(Application& app, TForm_Diagnostics& form);

}  // namespace zelkon
