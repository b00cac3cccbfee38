// Product reports: software versions, manufacturing and production parameters.
#include "decode/decoders.h"

namespace zelkon {

void DecodeSoftwareVersion(Application&, const uint8_t*, int) {}
void DecodeManufacturingParams(Application&, const uint8_t*, int) {}
void DecodeProductionParams(Application&, const uint8_t*, int) {}

}  // namespace zelkon
