#include "transfer/position_transfer.h"

namespace zelkon {

void WireInitialPositionWindow(Application&) {}

}  // namespace zelkon
