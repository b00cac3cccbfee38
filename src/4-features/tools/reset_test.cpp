#include "tools/reset_test.h"

#include "base/application.h"

namespace zelkon {

// The stress test itself runs from the diagnostics window; until it is started these hooks have
// nothing to count.
void ResetTestOnTracking(Application& app) {
  if (!app.resetTest.running) return;
}

void ResetTestOnFatalError(Application& app) {
  if (!app.resetTest.running) return;
}

void ResetTestOnFatalException(Application& app) {
  if (!app.resetTest.running) return;
}

}  // namespace zelkon
