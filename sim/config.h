// The emulated receiver's configuration, kept in numbered segments as the receiver keeps it in
// EEPROM: the working copy, the saved copy, and the factory defaults.
#pragma once

#include <cstdint>

#include "link/port_settings.h"
#include "sim/sim_options.h"

namespace zelkon::sim {

// Segment numbers (bit numbers of the segment status word).
enum Segment : int {
  kSegmentManufacturing = 0,
  kSegmentProduction = 1,
  kSegmentReceiver = 2,
  kSegmentPacketIo = 3,
  kSegmentSerialPorts = 4,
  kSegmentTiming = 5,
  kSegmentPosition = 6,
  kSegmentSurvey = 7,
  kSegmentNmea = 8,
  kSegmentUtc = 11,
  kAllSegments = 255,
};

struct ReceiverSegment {
  uint8_t mode = 7;                   // 0 automatic .. 7 overdetermined clock
  uint8_t dgpsMode = 3;               // 0 off, 1 on, 3 auto
  uint8_t dynamics = 4;               // stationary
  float elevationMask = 0.17453292f;  // radians (10 degrees)
  float signalMask = 4.0f;            // AMU
  float pdopMask = 12.0f;
  float pdopSwitch = 8.0f;
  uint8_t dgpsAgeLimit = 30;
  float referenceAltitude = 0.0f;  // metres, for 2D fixes
  bool referenceAltitudeSet = false;
  uint8_t oneSatellite = 0;  // 0: the highest
};

struct PacketIoSegment {
  uint8_t ioOptions[4] = {0x02, 0x02, 0x00, 0x08};  // LLA; ENU velocity; signal level in dB-Hz
  uint8_t broadcastMask1 = 0x00;
  uint8_t broadcastMask2 = 0xC0;  // primary and supplemental timing packets once a second
  uint32_t autoOutputMask = 0;
  uint16_t datum = 0;  // WGS-84
};

struct SerialPortsSegment {
  PortSettings a{0, 7, 3, 0, 0, kProtocolRxbin, kProtocolRxbin};  // 9600 8-None-1
  PortSettings b{1, 7, 3, 1, 0, kProtocolRxbin, kProtocolRxbin};  // 9600 8-Odd-1
};

struct TimingSegment {
  uint8_t ppsSwitch = 1;         // enabled
  uint8_t timeBase = 0;          // 0 GPS, 1 UTC
  uint8_t polarity = 0;          // positive
  double ppsOffset = 0.0;        // seconds
  float biasThreshold = 300.0f;  // metres
  uint8_t ppsOption = 3;         // while tracking at least one satellite
  double ppsWidth = 0.01;        // seconds
};

struct PositionSegment {
  bool stored = false;
  double latitude = 0;   // radians
  double longitude = 0;  // radians
  double altitude = 0;   // metres
};

struct SurveySegment {
  uint8_t enable = 1;
  uint8_t save = 1;
  uint32_t limit = 2000;  // fixes, one a second
};

struct NmeaSegment {
  uint8_t interval = 1;
  uint32_t mask = 0x21;  // GGA and ZDA
};

struct UtcSegment {
  double a0 = 1.8626451e-9;
  float a1 = 8.8817842e-16f;
  int16_t deltaTls = kUtcOffset;
  float tot = 405504.0f;
  uint16_t wnT = 0;
  uint16_t wnLsf = 0;
  uint16_t dn = 7;
  int16_t deltaTlsf = kUtcOffset;
};

struct Configuration {
  ReceiverSegment receiver;
  PacketIoSegment io;
  SerialPortsSegment ports;
  TimingSegment timing;
  PositionSegment position;
  SurveySegment survey;
  NmeaSegment nmea;
  UtcSegment utc;
};

// The factory configuration for these options.
Configuration FactoryConfiguration(const SimOptions& options);

// Sets one segment (or all, kAllSegments) of `config` to its factory values. Segments 0 and 1 and
// unknown numbers are left alone; returns whether anything was reverted.
bool RevertSegment(Configuration& config, const Configuration& factory, int segment);

}  // namespace zelkon::sim
