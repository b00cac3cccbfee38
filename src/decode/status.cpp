#include "decode/decoders.h"

namespace zelkon {

// Report 0x4B is accepted and deliberately not shown.
void DecodeIgnoredStatus(Application&, const uint8_t*, int) {}

}  // namespace zelkon
