// Timing superpackets.
#include "decode/decoders.h"

namespace zelkon {

void DecodeTimingPrimary(Application&, const uint8_t*, int) {}
void DecodeTimingSupplemental(Application&, const uint8_t*, int) {}
void DecodePrimaryUtcTime(Application&, const uint8_t*, int) {}

}  // namespace zelkon
