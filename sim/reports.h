// The reports of the emulated receiver, each at the exact length the monitor accepts.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "sim/packet.h"
#include "sim/receiver.h"

namespace zelkon::sim {

// Time and timing.
Packet GpsTimeReport(const Receiver& r);             // 0x41, 10 bytes
Packet HealthReport(const Receiver& r);              // 0x46, 2
Packet TimeAcceptedReport(bool accepted);            // 0x4E, 1
Packet TimingPrimaryReport(const Receiver& r);       // 0x8F-AB, 17
Packet TimingSupplementalReport(const Receiver& r);  // 0x8F-AC, 68
// 0x8F-AD, 22; for an event, its count and time; else count 0 and the current second.
Packet PrimaryUtcTimeReport(const Receiver& r, std::optional<double> eventGps);
// 0x8F-0B, 74; likewise.
Packet ComprehensiveTimeReport(const Receiver& r, std::optional<double> eventGps);

// Satellites and measurements.
std::vector<Packet> TrackingStatusReports(const Receiver& r);  // 0x5C, 24 each, one per channel
Packet SatelliteSelectionReport(const Receiver& r);            // 0x6D, 17 + PRNs
Packet RawMeasurementReport(const Receiver& r, int prn);       // 0x5A, 25
Packet EphemerisStatusReport(const Receiver& r, int prn);      // 0x5B, 16
// 0x40, 39: nothing while the almanac of that satellite is not known.
std::optional<Packet> AlmanacReport(const Receiver& r, int prn);
Packet AlmanacHealthReport(const Receiver& r);  // 0x49, 32
Packet UtcParamsReport(const Receiver& r);      // 0x4F, 26
// 0x58 answer to a request: the block (operation 2), or "not available" (operation 0).
Packet SystemDataReport(const Receiver& r, int type, int sv);
// 0x58 answer to a load: acknowledged (operation 1) or refused (operation 0).
Packet SystemDataLoadReport(bool accepted, int type, int sv);

// Position and velocity, as the I/O options ask for them (the automatic outputs).
std::vector<Packet> PositionVelocityReports(const Receiver& r);

// Configuration read-back.
Packet IoOptionsReport(const Receiver& r);             // 0x55, 4
Packet NmeaConfigReport(const Receiver& r);            // 0x7B, 6
Packet ReceiverConfigReport(const Receiver& r);        // 0xBB, 43
Packet PortConfigReport(const Receiver& r, int port);  // 0xBC, 10
Packet ReferenceAltitudeReport(const Receiver& r);     // 0x4A, 9
Packet DatumReport(const Receiver& r);                 // 0x8F-15, 43
Packet PpsCharacteristicsReport(const Receiver& r);    // 0x8F-4A, 16
Packet SurveyLimitReport(const Receiver& r);           // 0x8F-4B, 5
Packet AutoOutputMaskReport(const Receiver& r);        // 0x8F-4D, 5
Packet PpsOutputOptionReport(const Receiver& r);       // 0x8F-4E, 2
Packet PpsWidthReport(const Receiver& r);              // 0x8F-4F, 9
Packet BroadcastMaskReport(const Receiver& r);         // 0x8F-A5, 5
Packet SelfSurveyParamsReport(const Receiver& r);      // 0x8F-A9, 11
Packet SegmentStatusReport(const Receiver& r);         // 0x5F-11, 3

// Identity and faults.
Packet SoftwareVersionReport(const Receiver& r);      // 0x45, 10 or 96
Packet ManufacturingParamsReport(const Receiver& r);  // 0x8F-41, 17
Packet ProductionParamsReport(const Receiver& r);     // 0x8F-42, 19
// 0x5F-FF (fatal error) or 0x5F-FE (fatal exception) with a text.
Packet FatalReport(bool exception, const std::string& text);

}  // namespace zelkon::sim
