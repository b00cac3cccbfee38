// What the report dispatcher and the decoders share with the reset stress test of the diagnostics
// window.
#pragma once

namespace zelkon {

class Application;

struct ResetTest {
  // The test is running.
  bool running = false;
  // Set for every dispatched packet while the test runs; the test clears it once a second to
  // notice a receiver that stopped talking.
  bool ResetTestPacketSeen = false;
};

// A supplemental timing report said satellites are usable: in "When Tracking" mode the next reset
// is due. Nothing happens while the test is not running.
void ResetTestOnTracking(Application& app);
// The receiver reported a fatal error or a fatal exception: counted while the test runs.
void ResetTestOnFatalError(Application& app);
void ResetTestOnFatalException(Application& app);

}  // namespace zelkon
