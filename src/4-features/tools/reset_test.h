// The hooks by which the decoders tell the reset stress test of the diagnostics window what the
// receiver reported.
#pragma once

namespace zelkon {

class Application;

// A supplemental timing report said satellites are usable: in "When Tracking" mode the next reset
// is due. Nothing happens while the test is not running.
void ResetTestOnTracking(Application& app);
// The receiver reported a fatal error or a fatal exception: counted while the test runs.
void ResetTestOnFatalError(Application& app);
void ResetTestOnFatalException(Application& app);

}  // namespace zelkon
