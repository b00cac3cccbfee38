#include "core/main_menu.h"

namespace zelkon {

void WireMainWindow(Application&) {}

}  // namespace zelkon
