// Diagnostic and almanac reports.
// Decoded once the windows they fill exist; until then these reports light the Rx LED, are
// recorded when recording is on, and are otherwise left undecoded.
#include "decode/decoders.h"

namespace zelkon {

void DecodeAlmanac(Application&, const uint8_t*, int) {}
void DecodeAlmanacHealth(Application&, const uint8_t*, int) {}
void DecodeUtcParams(Application&, const uint8_t*, int) {}
void DecodeSegmentStatus(Application&, const uint8_t*, int) {}
void DecodeFatalReport(Application&, const uint8_t*, int) {}

}  // namespace zelkon
