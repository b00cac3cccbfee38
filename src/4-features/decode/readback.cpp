// Configuration read-back reports, decoded into the setup windows.
// Decoded once the windows they fill exist; until then these reports light the Rx LED, are
// recorded when recording is on, and are otherwise left undecoded.
#include "decode/decoders.h"

namespace zelkon {

void DecodeIoOptions(Application&, const uint8_t*, int) {}
void DecodeNmeaConfig(Application&, const uint8_t*, int) {}
void DecodeReceiverConfig(Application&, const uint8_t*, int) {}
void DecodePortConfig(Application&, const uint8_t*, int) {}
void DecodeDatum(Application&, const uint8_t*, int) {}
void DecodePpsCharacteristics(Application&, const uint8_t*, int) {}
void DecodeSurveyLimit(Application&, const uint8_t*, int) {}
void DecodeAutoOutputMask(Application&, const uint8_t*, int) {}
void DecodePpsOutputOption(Application&, const uint8_t*, int) {}
void DecodePpsWidth(Application&, const uint8_t*, int) {}
void DecodeBroadcastMask(Application&, const uint8_t*, int) {}
void DecodeSelfSurveyParams(Application&, const uint8_t*, int) {}

}  // namespace zelkon
