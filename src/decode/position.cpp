// Position, velocity and time reports.
#include "decode/decoders.h"

namespace zelkon {

void DecodeGpsTime(Application&, const uint8_t*, int) {}
void DecodeEcefPositionSingle(Application&, const uint8_t*, int) {}
void DecodeEcefVelocity(Application&, const uint8_t*, int) {}
void DecodeLlaPositionSingle(Application&, const uint8_t*, int) {}
void DecodeReferenceAltitude(Application&, const uint8_t*, int) {}
void DecodeTimeAccepted(Application&, const uint8_t*, int) {}
void DecodeEnuVelocity(Application&, const uint8_t*, int) {}
void DecodeEcefPositionDouble(Application&, const uint8_t*, int) {}
void DecodeLlaPositionDouble(Application&, const uint8_t*, int) {}
void DecodeComprehensiveTime(Application&, const uint8_t*, int) {}

}  // namespace zelkon
