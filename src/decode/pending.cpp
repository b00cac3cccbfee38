// Reports whose windows are not built yet. Each is routed by the dispatcher, recorded when
// recording is on, lights the Rx LED, and is otherwise left undecoded for now.
#include "decode/decoders.h"

namespace zelkon {

void DecodeTimingPrimary(Application&, const uint8_t*, int) {}
void DecodeTimingSupplemental(Application&, const uint8_t*, int) {}
void DecodePrimaryUtcTime(Application&, const uint8_t*, int) {}

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

void DecodeHealth(Application&, const uint8_t*, int) {}
void DecodeRawMeasurement(Application&, const uint8_t*, int) {}
void DecodeEphemerisStatus(Application&, const uint8_t*, int) {}
void DecodeTrackingStatus(Application&, const uint8_t*, int) {}
void DecodeSatelliteSelection(Application&, const uint8_t*, int) {}
void ExpireTrackingChannels(Application&) {}

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

void DecodeAlmanac(Application&, const uint8_t*, int) {}
void DecodeSoftwareVersion(Application&, const uint8_t*, int) {}
void DecodeAlmanacHealth(Application&, const uint8_t*, int) {}
void DecodeUtcParams(Application&, const uint8_t*, int) {}
void DecodeSegmentStatus(Application&, const uint8_t*, int) {}
void DecodeFatalReport(Application&, const uint8_t*, int) {}
void DecodeManufacturingParams(Application&, const uint8_t*, int) {}
void DecodeProductionParams(Application&, const uint8_t*, int) {}

}  // namespace zelkon
