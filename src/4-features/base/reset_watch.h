// What the report dispatcher and the decoders share with the reset stress test of the diagnostics
// window.
#pragma once

namespace zelkon {

struct ResetTest {
  // The test is running.
  bool running = false;
  // Set for every dispatched packet while the test runs; the test clears it once a second to
  // notice a receiver that stopped talking.
  bool ResetTestPacketSeen = false;
};

}  // namespace zelkon
