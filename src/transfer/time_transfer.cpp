#include "transfer/time_transfer.h"

namespace zelkon {

void WireInitialTimeWindow(Application&) {}

}  // namespace zelkon
