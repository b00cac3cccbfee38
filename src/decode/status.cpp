// Status, satellite and measurement reports.
#include "decode/decoders.h"

namespace zelkon {

// Report 0x4B is accepted and deliberately not shown.
void DecodeIgnoredStatus(Application&, const uint8_t*, int) {}

void DecodeHealth(Application&, const uint8_t*, int) {}
void DecodeRawMeasurement(Application&, const uint8_t*, int) {}
void DecodeEphemerisStatus(Application&, const uint8_t*, int) {}
void DecodeTrackingStatus(Application&, const uint8_t*, int) {}
void DecodeSatelliteSelection(Application&, const uint8_t*, int) {}
void ExpireTrackingChannels(Application&) {}

}  // namespace zelkon
