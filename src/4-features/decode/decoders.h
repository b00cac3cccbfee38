// The report decoders, the dispatcher's entry points: one per report id (and per 0x8F / 0x5F
// sub-code). Each takes the payload (the bytes after the id; for superpackets byte 0 is the
// sub-code) and its length, parses it into its report struct (reports/), which checks the exact
// length, and hands the report to its display step (decode/<family>.h), which writes into the
// window models and the program-wide state.
#pragma once

#include <cstdint>

namespace zelkon {

class Application;
class Panel;

using Decoder = void (*)(Application& app, const uint8_t* payload, int length);

// Timing superpackets.
void DecodeTimingPrimary(Application& app, const uint8_t* payload, int length);       // 0x8F-AB
void DecodeTimingSupplemental(Application& app, const uint8_t* payload, int length);  // 0x8F-AC
void DecodePrimaryUtcTime(Application& app, const uint8_t* payload, int length);      // 0x8F-AD

// Position, velocity and time.
void DecodeGpsTime(Application& app, const uint8_t* payload, int length);             // 0x41
void DecodeEcefPositionSingle(Application& app, const uint8_t* payload, int length);  // 0x42
void DecodeEcefVelocity(Application& app, const uint8_t* payload, int length);        // 0x43
void DecodeLlaPositionSingle(Application& app, const uint8_t* payload, int length);   // 0x4A
void DecodeReferenceAltitude(Application& app, const uint8_t* payload, int length);   // 0x4A, 9
void DecodeTimeAccepted(Application& app, const uint8_t* payload, int length);        // 0x4E
void DecodeEnuVelocity(Application& app, const uint8_t* payload, int length);         // 0x56
void DecodeEcefPositionDouble(Application& app, const uint8_t* payload, int length);  // 0x83
void DecodeLlaPositionDouble(Application& app, const uint8_t* payload, int length);   // 0x84
void DecodeComprehensiveTime(Application& app, const uint8_t* payload, int length);   // 0x8F-0B

// Status, satellites and measurements.
void DecodeHealth(Application& app, const uint8_t* payload, int length);              // 0x46
void DecodeIgnoredStatus(Application& app, const uint8_t* payload, int length);       // 0x4B
void DecodeRawMeasurement(Application& app, const uint8_t* payload, int length);      // 0x5A
void DecodeEphemerisStatus(Application& app, const uint8_t* payload, int length);     // 0x5B
void DecodeTrackingStatus(Application& app, const uint8_t* payload, int length);      // 0x5C
void DecodeSatelliteSelection(Application& app, const uint8_t* payload, int length);  // 0x6D
// Blanks the satellite rows of channels no tracking report refreshed for five poll rounds.
void ExpireTrackingChannels(Application& app);
// Paints a main-window satellite panel from the last selection list: green used for fixes,
// yellow excluded (TRAIM reject), window background otherwise.
void ColourSvPanel(Application& app, int prn, Panel& panel);

// Configuration read-back.
void DecodeIoOptions(Application& app, const uint8_t* payload, int length);           // 0x55
void DecodeNmeaConfig(Application& app, const uint8_t* payload, int length);          // 0x7B
void DecodeReceiverConfig(Application& app, const uint8_t* payload, int length);      // 0xBB
void DecodePortConfig(Application& app, const uint8_t* payload, int length);          // 0xBC
void DecodeDatum(Application& app, const uint8_t* payload, int length);               // 0x8F-15
void DecodePpsCharacteristics(Application& app, const uint8_t* payload, int length);  // 0x8F-4A
void DecodeSurveyLimit(Application& app, const uint8_t* payload, int length);         // 0x8F-4B
void DecodeAutoOutputMask(Application& app, const uint8_t* payload, int length);      // 0x8F-4D
void DecodePpsOutputOption(Application& app, const uint8_t* payload, int length);     // 0x8F-4E
void DecodePpsWidth(Application& app, const uint8_t* payload, int length);            // 0x8F-4F
void DecodeBroadcastMask(Application& app, const uint8_t* payload, int length);       // 0x8F-A5
void DecodeSelfSurveyParams(Application& app, const uint8_t* payload, int length);    // 0x8F-A9

// Product, diagnostic and almanac reports.
void DecodeAlmanac(Application& app, const uint8_t* payload, int length);              // 0x40
void DecodeSoftwareVersion(Application& app, const uint8_t* payload, int length);      // 0x45
void DecodeAlmanacHealth(Application& app, const uint8_t* payload, int length);        // 0x49
void DecodeUtcParams(Application& app, const uint8_t* payload, int length);            // 0x4F
void DecodeSegmentStatus(Application& app, const uint8_t* payload, int length);        // 0x5F-11
void DecodeFatalReport(Application& app, const uint8_t* payload, int length);          // 0x5F other
void DecodeManufacturingParams(Application& app, const uint8_t* payload, int length);  // 0x8F-41
void DecodeProductionParams(Application& app, const uint8_t* payload, int length);     // 0x8F-42

}  // namespace zelkon
