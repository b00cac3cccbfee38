// The receiver emulator's engine on simulated time, driven through the program's own command
// builders and read back through its receive state machine and field codec.
#include "sim/engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <functional>
#include <numbers>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "commands/commands.h"
#include "link/codec.h"
#include "link/port_settings.h"
#include "sim/sim_harness.h"

namespace zelkon {
namespace {

using sim::Model;
using sim::SimOptions;
using testing::PacketBytes;
using testing::SimHarness;

using Send = std::function<void(CommandSender&)>;

// GPS minus UTC in 2024.
constexpr int kLeapSeconds = 18;

// ---- Reading what came back ------------------------------------------------------------------

// One report as the monitor's decoders see it: offsets count payload bytes, a superpacket's
// sub-code being byte 0. A read past the end fails the test and gives 0.
class Report {
 public:
  Report() = default;
  explicit Report(PacketBytes bytes) : bytes_(std::move(bytes)) {}

  bool present() const { return !bytes_.empty(); }
  int id() const { return bytes_.empty() ? -1 : bytes_[0]; }
  size_t length() const { return bytes_.empty() ? 0 : bytes_.size() - 1; }
  std::vector<uint8_t> Bytes(size_t offset, size_t n) const {
    if (!Has(offset, n)) return {};
    return {bytes_.begin() + static_cast<std::ptrdiff_t>(1 + offset),
            bytes_.begin() + static_cast<std::ptrdiff_t>(1 + offset + n)};
  }
  std::vector<uint8_t> Payload() const { return Bytes(0, length()); }

  uint8_t U8(size_t offset) const { return Has(offset, 1) ? bytes_[1 + offset] : 0; }
  int8_t I8(size_t offset) const { return static_cast<int8_t>(U8(offset)); }
  uint16_t U16(size_t offset) const { return Has(offset, 2) ? ReadU16(At(offset)) : 0; }
  int16_t I16(size_t offset) const { return Has(offset, 2) ? ReadI16(At(offset)) : 0; }
  uint32_t U32(size_t offset) const { return Has(offset, 4) ? ReadU32(At(offset)) : 0; }
  float Single(size_t offset) const { return Has(offset, 4) ? ReadSingle(At(offset)) : 0.0f; }
  double Double(size_t offset) const { return Has(offset, 8) ? ReadDouble(At(offset)) : 0.0; }

 private:
  const uint8_t* At(size_t offset) const { return bytes_.data() + 1 + offset; }
  bool Has(size_t offset, size_t n) const {
    if (offset + n <= length()) return true;
    ADD_FAILURE() << "field at offset " << offset << " (" << n
                  << " bytes) past the end of report 0x" << std::hex << id() << std::dec << " of "
                  << length() << " bytes";
    return false;
  }
  PacketBytes bytes_;
};

std::vector<Report> ReportsOf(const std::vector<PacketBytes>& packets, int id, int sub = -1) {
  std::vector<Report> found;
  for (const PacketBytes& packet : SimHarness::Only(packets, id, sub))
    found.emplace_back(packet);
  return found;
}

// Sends one command and returns exactly what the emulator sent in answer, before any time passes.
std::vector<PacketBytes> Ask(SimHarness& h, const Send& send) {
  h.Replies();  // what was broadcast so far
  send(h);
  return h.Replies();
}

// The one report of this id (and sub-code) that a command brought back.
Report AskOne(SimHarness& h, const Send& send, int id, int sub = -1) {
  const auto replies = Ask(h, send);
  const auto found = ReportsOf(replies, id, sub);
  if (found.size() != 1) {
    ADD_FAILURE() << found.size() << " reports 0x" << std::hex << id << "-" << sub << std::dec
                  << " in " << replies.size() << " replies, expected one";
    return Report();
  }
  return found[0];
}

// Lets simulated time pass and returns what was sent meanwhile.
std::vector<PacketBytes> RunFor(SimHarness& h, double seconds) {
  h.Replies();
  h.Run(seconds);
  return h.Replies();
}

Report Supplemental(SimHarness& h) { return AskOne(h, SendTimingPacketsQuery, 0x8F, 0xAC); }
Report Primary(SimHarness& h) { return AskOne(h, SendTimingPacketsQuery, 0x8F, 0xAB); }
Report GpsTime(SimHarness& h) { return AskOne(h, SendTimeQuery, 0x41); }
Report UtcTime(SimHarness& h) { return AskOne(h, SendPrimaryUtcTimeQuery, 0x8F, 0xAD); }

uint16_t MinorAlarms(const Report& supplemental) { return supplemental.U16(10); }
bool Bit(unsigned value, int bit) { return ((value >> bit) & 1u) != 0; }

// The default start, 16 June 2024 12:00:00 UTC, as GPS week and time of week.
struct WeekTime {
  int week;
  int timeOfWeek;
};
WeekTime StartWeekTime() {
  using namespace std::chrono;
  const auto days = (sys_days{year{2024} / June / 16} - sys_days{year{1980} / January / 6}).count();
  return {static_cast<int>(days / 7),
          static_cast<int>(days % 7 * 86400 + 12 * 3600 + kLeapSeconds)};
}

// Earth-centred coordinates (WGS-84) of a geodetic position, for the position commands.
struct Ecef {
  double x, y, z;
};
Ecef EcefOf(double latitude, double longitude, double altitude) {
  constexpr double a = 6378137.0;
  constexpr double f = 1 / 298.257223563;
  const double e2 = f * (2 - f);
  const double n = a / std::sqrt(1 - e2 * std::sin(latitude) * std::sin(latitude));
  return {(n + altitude) * std::cos(latitude) * std::cos(longitude),
          (n + altitude) * std::cos(latitude) * std::sin(longitude),
          (n * (1 - e2) + altitude) * std::sin(latitude)};
}

// A harness whose receiver has tracked long enough for fixes (ephemeris collected) and for its
// almanac to be complete.
constexpr double kSettledSeconds = 40;

// ---- Every query of the command catalogue ----------------------------------------------------

struct Answer {
  int id;
  int sub;  // -1: no sub-code
  size_t length;
  bool orLonger = false;
};

struct QueryRow {
  const char* name;
  uint16_t key;  // as the `refused` option names the query
  Send send;
  std::vector<Answer> answers;
  std::function<void(const Report&)> check = nullptr;  // on every answer
};

std::vector<QueryRow> QueryCatalogue() {
  return {
      {"software versions", 0x1F00, SendSoftwareVersionQuery, {{0x45, -1, 10}}},
      {"almanac of SV 5",
       0x2000,
       [](CommandSender& o) { SendAlmanacQuery(o, 5); },
       {{0x40, -1, 39}},
       [](const Report& r) { EXPECT_EQ(r.U8(0), 5); }},
      {"GPS time", 0x2100, SendTimeQuery, {{0x41, -1, 10}}},
      {"satellite selection",
       0x2400,
       SendSatelliteSelectionQuery,
       {{0x6D, -1, 17, true}},
       [](const Report& r) { EXPECT_LE(r.length(), 17u + 8u); }},
      {"health", 0x2600, SendHealthQuery, {{0x46, -1, 2}, {0x4B, -1, 3}}},
      {"almanac health", 0x2900, SendAlmanacHealthQuery, {{0x49, -1, 32}}},
      {"reference altitude", 0x2A00, SendAltitudeQuery, {{0x4A, -1, 9}}},
      {"UTC parameters", 0x2F00, SendUtcParamsQuery, {{0x4F, -1, 26}}},
      {"I/O options", 0x3500, SendIoOptionsQuery, {{0x55, -1, 4}}},
      {"system data request",
       0x3800,
       [](CommandSender& o) { SendSystemDataRequest(o, 3, 0); },
       {{0x58, -1, 4, true}},
       [](const Report& r) {
         EXPECT_EQ(r.U8(0), 2);  // data follows
         EXPECT_EQ(r.U8(1), 3);
         EXPECT_EQ(r.U8(2), 0);
         EXPECT_EQ(r.U8(3) + 4u, r.length());
       }},
      {"raw measurement of SV 7",
       0x3A00,
       [](CommandSender& o) { SendRawMeasurementQuery(o, 7); },
       {{0x5A, -1, 25}},
       [](const Report& r) { EXPECT_EQ(r.U8(0), 7); }},
      {"ephemeris status of SV 9",
       0x3B00,
       [](CommandSender& o) { SendEphemerisStatusQuery(o, 9); },
       {{0x5B, -1, 16}},
       [](const Report& r) { EXPECT_EQ(r.U8(0), 9); }},
      {"tracking status", 0x3C00, SendTrackingStatusQuery, {{0x5C, -1, 24}}},
      {"segment status", 0x3F11, SendSegmentStatusQuery, {{0x5F, 0x11, 3}}},
      {"NMEA settings", 0x7A00, SendNmeaQuery, {{0x7B, -1, 6}}},
      {"receiver configuration", 0xBB00, SendReceiverConfigQuery, {{0xBB, -1, 43}}},
      {"port A settings",
       0xBC00,
       [](CommandSender& o) { SendPortConfigQuery(o, 0); },
       {{0xBC, -1, 10}},
       [](const Report& r) { EXPECT_EQ(r.U8(0), 0); }},
      {"port B settings",
       0xBC00,
       [](CommandSender& o) { SendPortConfigQuery(o, 1); },
       {{0xBC, -1, 10}},
       [](const Report& r) { EXPECT_EQ(r.U8(0), 1); }},
      {"comprehensive time", 0x8E0B, SendComprehensiveTimeQuery, {{0x8F, 0x0B, 74}}},
      {"datum", 0x8E15, SendDatumQuery, {{0x8F, 0x15, 43}}},
      {"manufacturing parameters", 0x8E41, SendManufacturingParamsQuery, {{0x8F, 0x41, 17}}},
      {"production parameters", 0x8E42, SendProductionParamsQuery, {{0x8F, 0x42, 19}}},
      {"PPS characteristics", 0x8E4A, SendPpsCharacteristicsQuery, {{0x8F, 0x4A, 16}}},
      {"survey limit", 0x8E4B, SendSurveyLimitQuery, {{0x8F, 0x4B, 5}}},
      {"automatic output mask", 0x8E4D, SendAutoOutputMaskQuery, {{0x8F, 0x4D, 5}}},
      {"PPS output option", 0x8E4E, SendPpsOutputOptionQuery, {{0x8F, 0x4E, 2}}},
      {"PPS width", 0x8E4F, SendPpsWidthQuery, {{0x8F, 0x4F, 9}}},
      {"broadcast mask", 0x8EA5, SendBroadcastMaskQuery, {{0x8F, 0xA5, 5}}},
      {"self-survey parameters", 0x8EA9, SendSelfSurveyParamsQuery, {{0x8F, 0xA9, 11}}},
      {"timing packets", 0x8EAB, SendTimingPacketsQuery, {{0x8F, 0xAB, 17}, {0x8F, 0xAC, 68}}},
      {"primary UTC time", 0x8EAD, SendPrimaryUtcTimeQuery, {{0x8F, 0xAD, 22}}},
  };
}

bool Matches(const PacketBytes& packet, const Answer& answer) {
  return packet[0] == answer.id &&
         (answer.sub < 0 || (packet.size() > 1 && packet[1] == answer.sub));
}

TEST(SimEngineQueries, EveryQueryIsAnsweredByItsReportAtTheLengthItsDecoderAccepts) {
  for (const QueryRow& row : QueryCatalogue()) {
    SCOPED_TRACE(row.name);
    SimHarness h;
    h.Run(kSettledSeconds);
    const auto replies = Ask(h, row.send);
    for (const Answer& answer : row.answers) {
      const auto found = ReportsOf(replies, answer.id, answer.sub);
      ASSERT_FALSE(found.empty()) << "no report 0x" << std::hex << answer.id;
      // Tracking status comes once per tracked channel; every other answer once.
      if (answer.id != 0x5C) {
        EXPECT_EQ(found.size(), 1u);
      }
      for (const Report& report : found) {
        if (answer.orLonger) {
          EXPECT_GE(report.length(), answer.length);
        } else {
          EXPECT_EQ(report.length(), answer.length);
        }
        if (row.check) row.check(report);
      }
    }
    for (const PacketBytes& packet : replies) {
      EXPECT_TRUE(std::any_of(row.answers.begin(), row.answers.end(),
                              [&](const Answer& a) { return Matches(packet, a); }))
          << "unexpected report 0x" << std::hex << int{packet[0]};
    }
  }
}

TEST(SimEngineQueries, SoftwareVersionsComeInTheLongFormWhenAsked) {
  SimOptions options;
  options.longVersion = true;
  SimHarness h(options);
  const Report version = AskOne(h, SendSoftwareVersionQuery, 0x45);
  EXPECT_EQ(version.length(), 96u);
  // The short form is the first ten bytes of the long one.
  SimHarness shortForm;
  EXPECT_EQ(AskOne(shortForm, SendSoftwareVersionQuery, 0x45).Payload(), version.Bytes(0, 10));
}

TEST(SimEngineQueries, RefusedQueryAloneGoesUnanswered) {
  for (const QueryRow& row : QueryCatalogue()) {
    SCOPED_TRACE(row.name);
    SimOptions options;
    options.refused = {row.key};
    SimHarness h(options);
    h.Run(kSettledSeconds);
    EXPECT_TRUE(Ask(h, row.send).empty());
    // Another query is still answered.
    const bool versionRefused = row.key == 0x1F00;
    const auto other =
        Ask(h, versionRefused ? Send(SendTimeQuery) : Send(SendSoftwareVersionQuery));
    EXPECT_EQ(ReportsOf(other, versionRefused ? 0x41 : 0x45).size(), 1u);
  }
}

// ---- Set forms change what the matching query reads back -----------------------------------

struct SetRow {
  const char* name;
  Send prepare;  // may be empty
  Send set;
  Send query;
  int id;
  int sub;
  // Whether the read-back carries the value the set form gave.
  std::function<bool(const Report&)> holds;
};

std::vector<SetRow> SetForms() {
  static const ReceiverConfig kConfig{4, 1, 1, 0.2617994f, 6.5f, 10.0f, 6.0f, 20};
  static constexpr double kLatitude = 0.6981317;    // 40 degrees
  static constexpr double kLongitude = -1.8325957;  // -105 degrees
  static constexpr double kAltitude = 1612.0;
  static const PortSettings kPortA{0, 8, 3, 2, 1, 2, 4};   // 19200 8-Even-2, NMEA out
  static const PortSettings kPortB{1, 11, 3, 0, 0, 2, 2};  // 115200 8-None-1
  return {
      {"altitude for 2D fixes", nullptr, [](CommandSender& o) { SendAltitude(o, 123.5f); },
       SendAltitudeQuery, 0x4A, -1,
       [](const Report& r) { return r.Single(0) == 123.5f && r.U8(8) == 1; }},
      {"altitude cancelled", [](CommandSender& o) { SendAltitude(o, 50.0f); }, SendCancelAltitude,
       SendAltitudeQuery, 0x4A, -1, [](const Report& r) { return r.U8(8) == 0; }},
      {"accurate ECEF position", nullptr,
       [](CommandSender& o) {
         const Ecef e = EcefOf(kLatitude, kLongitude, kAltitude);
         SendEcefPosition(o, static_cast<float>(e.x), static_cast<float>(e.y),
                          static_cast<float>(e.z));
       },
       SendTimingPacketsQuery, 0x8F, 0xAC,
       [](const Report& r) {
         // A single-precision coordinate resolves half a metre.
         return r.U8(1) == 7 && std::fabs(r.Double(36) - kLatitude) < 3e-7 &&
                std::fabs(r.Double(44) - kLongitude) < 3e-7 &&
                std::fabs(r.Double(52) - kAltitude) < 2.0;
       }},
      {"accurate LLA position", nullptr,
       [](CommandSender& o) {
         SendLlaPosition(o, static_cast<float>(kLatitude), static_cast<float>(kLongitude),
                         static_cast<float>(kAltitude));
       },
       SendTimingPacketsQuery, 0x8F, 0xAC,
       [](const Report& r) {
         return r.U8(1) == 7 && r.Double(36) == static_cast<float>(kLatitude) &&
                r.Double(44) == static_cast<float>(kLongitude) &&
                r.Double(52) == static_cast<float>(kAltitude);
       }},
      {"I/O options", nullptr,
       [](CommandSender& o) {
         SendIoOptions(o, IoOptions{0x33, 0x03, 0x01, 0x03});
       },
       SendIoOptionsQuery, 0x55, -1,
       [](const Report& r) {
         return r.Payload() == std::vector<uint8_t>{0x33, 0x03, 0x01, 0x03};
       }},
      {"NMEA output", nullptr, [](CommandSender& o) { SendNmeaSettings(o, 10, 0x101); },
       SendNmeaQuery, 0x7B, -1, [](const Report& r) { return r.U8(1) == 10 && r.U32(2) == 0x101; }},
      {"receiver configuration", nullptr, [](CommandSender& o) { SendReceiverConfig(o, kConfig); },
       SendReceiverConfigQuery, 0xBB, -1,
       [](const Report& r) {
         return r.U8(1) == 4 && r.U8(2) == 1 && r.U8(3) == 1 && r.Single(5) == 0.2617994f &&
                r.Single(9) == 6.5f && r.Single(13) == 10.0f && r.Single(17) == 6.0f &&
                r.U8(21) == 20;
       }},
      {"port A settings", nullptr, [](CommandSender& o) { SendPortSettings(o, kPortA); },
       [](CommandSender& o) { SendPortConfigQuery(o, 0); }, 0xBC, -1,
       [](const Report& r) {
         return r.U8(0) == 0 && r.U8(1) == 8 && r.U8(2) == 8 && r.U8(3) == 3 && r.U8(4) == 2 &&
                r.U8(5) == 1 && r.U8(7) == 2 && r.U8(8) == 4;
       }},
      {"port B settings", nullptr, [](CommandSender& o) { SendPortSettings(o, kPortB); },
       [](CommandSender& o) { SendPortConfigQuery(o, 1); }, 0xBC, -1,
       [](const Report& r) {
         return r.U8(0) == 1 && r.U8(1) == 11 && r.U8(2) == 11 && r.U8(3) == 3 && r.U8(4) == 0 &&
                r.U8(5) == 0;
       }},
      {"datum", nullptr, [](CommandSender& o) { SendDatum(o, 5); }, SendDatumQuery, 0x8F, 0x15,
       [](const Report& r) { return r.U16(1) == 5; }},
      {"PPS characteristics", nullptr,
       [](CommandSender& o) { SendPpsCharacteristics(o, 0, 1, 1, 1.5e-6, 150.0f); },
       SendPpsCharacteristicsQuery, 0x8F, 0x4A,
       [](const Report& r) {
         return r.U8(1) == 0 && r.U8(2) == 1 && r.U8(3) == 1 && r.Double(4) == 1.5e-6 &&
                r.Single(12) == 150.0f;
       }},
      {"survey limit", nullptr, [](CommandSender& o) { SendSurveyLimit(o, 86400); },
       SendSurveyLimitQuery, 0x8F, 0x4B, [](const Report& r) { return r.U32(1) == 86400; }},
      {"automatic output mask", nullptr,
       [](CommandSender& o) { SendAutoOutputMask(o, 0x80000925u); }, SendAutoOutputMaskQuery, 0x8F,
       0x4D, [](const Report& r) { return r.U32(1) == 0x80000925u; }},
      {"PPS output option", nullptr, [](CommandSender& o) { SendPpsOutputOption(o, 0x84); },
       SendPpsOutputOptionQuery, 0x8F, 0x4E, [](const Report& r) { return r.U8(1) == 0x84; }},
      {"PPS width", nullptr, [](CommandSender& o) { SendPpsWidth(o, 2.0e-4); }, SendPpsWidthQuery,
       0x8F, 0x4F, [](const Report& r) { return r.Double(1) == 2.0e-4; }},
      {"broadcast mask", nullptr, [](CommandSender& o) { SendBroadcastMask(o, 0x32, 0xE1); },
       SendBroadcastMaskQuery, 0x8F, 0xA5,
       [](const Report& r) { return r.U8(1) == 0x32 && r.U8(2) == 0xE1; }},
      {"self-survey parameters", nullptr,
       [](CommandSender& o) { SendSelfSurveyParams(o, 0, 0, 100); }, SendSelfSurveyParamsQuery,
       0x8F, 0xA9, [](const Report& r) { return r.U8(1) == 0 && r.U8(2) == 0 && r.U32(3) == 100; }},
      // The port A output options: 0x8F-0B in mask 1 bits 0 (PPS) and 1 (event), 0x8F-AD in bits
      // 4 and 5; the port B bits stay as they were.
      {"comprehensive time at PPS and events",
       [](CommandSender& o) { SendBroadcastMask(o, 0xCC, 0xC0); },
       [](CommandSender& o) { SendOutputOption(o, 0x0B, 3); }, SendBroadcastMaskQuery, 0x8F, 0xA5,
       [](const Report& r) { return r.U8(1) == 0xCF && r.U8(2) == 0xC0; }},
      {"comprehensive time at events only", [](CommandSender& o) { SendOutputOption(o, 0x0B, 3); },
       [](CommandSender& o) { SendOutputOption(o, 0x0B, 2); }, SendBroadcastMaskQuery, 0x8F, 0xA5,
       [](const Report& r) { return r.U8(1) == 0x02; }},
      {"UTC time at PPS only", [](CommandSender& o) { SendOutputOption(o, 0xAD, 3); },
       [](CommandSender& o) { SendOutputOption(o, 0xAD, 1); }, SendBroadcastMaskQuery, 0x8F, 0xA5,
       [](const Report& r) { return r.U8(1) == 0x10; }},
      {"UTC time on request only",
       [](CommandSender& o) {
         SendBroadcastMask(o, 0xC0, 0xC0);
         SendOutputOption(o, 0xAD, 3);
       },
       [](CommandSender& o) { SendOutputOption(o, 0xAD, 0); }, SendBroadcastMaskQuery, 0x8F, 0xA5,
       [](const Report& r) { return r.U8(1) == 0xC0; }},
      {"product type", nullptr, [](CommandSender& o) { SendProductType(o, 4); },
       SendProductionParamsQuery, 0x8F, 0x42, [](const Report& r) { return r.U16(13) == 4; }},
  };
}

TEST(SimEngineSettings, EverySetFormChangesWhatItsQueryReadsBack) {
  for (const SetRow& row : SetForms()) {
    SCOPED_TRACE(row.name);
    SimHarness h;
    h.Run(kSettledSeconds);
    if (row.prepare) row.prepare(h);
    const Report before = AskOne(h, row.query, row.id, row.sub);
    EXPECT_FALSE(row.holds(before)) << "the value was there before it was set";
    EXPECT_TRUE(Ask(h, row.set).empty()) << "a set form is not answered";
    const Report after = AskOne(h, row.query, row.id, row.sub);
    EXPECT_TRUE(row.holds(after));
  }
}

TEST(SimEngineSettings, OneSatelliteModeIsTakenSilently) {
  SimHarness h;
  h.Run(kSettledSeconds);
  EXPECT_TRUE(Ask(h, [](CommandSender& o) { SendOneSatellite(o, 12); }).empty());
  // The receiver goes on answering as before.
  EXPECT_TRUE(GpsTime(h).present());
}

TEST(SimEngineSettings, PortSettingsOfTheMonitorsPortAreHandedOnOnce) {
  SimHarness h;  // the monitor is on port B
  SendPortSettings(h, PortSettings{0, 8, 3, 2, 0, 2, 2});
  EXPECT_FALSE(h.engine.TakePortChange().has_value());
  const PortSettings portB{1, 9, 3, 1, 0, 2, 2};
  SendPortSettings(h, portB);
  EXPECT_EQ(h.engine.TakePortChange(), portB);
  EXPECT_FALSE(h.engine.TakePortChange().has_value());
}

TEST(SimEngineSettings, TimeBaseOfThePpsCharacteristicsSetsTheTimingReportsToUtc) {
  SimHarness h;
  h.Run(10);
  const Report gps = Primary(h);
  EXPECT_EQ(gps.U8(9) & 1, 0);
  EXPECT_EQ(gps.U8(10), 28);  // 12:00:28 GPS
  EXPECT_EQ(gps.U8(12), 12);
  SendPpsCharacteristics(h, 1, 1, 0, 0.0, 300.0f);
  const Report utc = Primary(h);
  EXPECT_EQ(utc.U8(9) & 1, 1);
  EXPECT_EQ(utc.U8(10), 10);  // 12:00:10 UTC
  EXPECT_EQ(utc.U8(11), 0);
  // The comprehensive time report turns to UTC too: a positive offset and UTC time of week.
  const Report comprehensive = AskOne(h, SendComprehensiveTimeQuery, 0x8F, 0x0B);
  EXPECT_EQ(comprehensive.I16(16), kLeapSeconds);
  EXPECT_DOUBLE_EQ(comprehensive.Double(3), gps.U32(1) - kLeapSeconds);
}

TEST(SimEngineSettings, TestModesRunOnTheUserTimeUntilExit) {
  SimHarness h;
  h.Run(10);
  const WeekTime start = StartWeekTime();
  EXPECT_FALSE(Bit(MinorAlarms(Supplemental(h)), 8));

  SendUserTime(h, 2000, 86390);
  Report time = GpsTime(h);
  EXPECT_EQ(time.Single(0), 86390.0f);
  EXPECT_EQ(time.U16(4), 2000);
  EXPECT_TRUE(Bit(MinorAlarms(Supplemental(h)), 8));

  h.Run(5);  // the user time runs on
  time = GpsTime(h);
  EXPECT_EQ(time.Single(0), 86395.0f);
  const Report primary = Primary(h);
  EXPECT_EQ(primary.U32(1), 86395u);
  EXPECT_EQ(primary.U16(5), 2000);

  SendExitTestMode(h);
  time = GpsTime(h);
  EXPECT_EQ(time.Single(0), static_cast<float>(start.timeOfWeek + 15));
  EXPECT_EQ(time.U16(4), start.week);
  EXPECT_FALSE(Bit(MinorAlarms(Supplemental(h)), 8));
}

TEST(SimEngineSettings, UtcTestModeBringsALeapSecondOnDemand) {
  SimHarness h;
  h.Run(10);
  // The values the timing test window starts with: a leap second at the end of day 1 of week 950,
  // 19 seconds after the user time.
  SendUserTime(h, 950, 86390);
  SendTestUtcParams(h, TestUtcParams{0.0f, 0.0f, 9, 0, 0, 950, 1, 10});
  const Report params = AskOne(h, SendUtcParamsQuery, 0x4F);
  EXPECT_EQ(params.I16(12), 9);
  EXPECT_EQ(params.U16(20), 950);
  EXPECT_EQ(params.U16(22), 1);
  EXPECT_EQ(params.I16(24), 10);

  EXPECT_EQ(GpsTime(h).Single(6), 9.0f);
  uint8_t flags = UtcTime(h).U8(19);
  EXPECT_TRUE(Bit(flags, 4) && Bit(flags, 5)) << int{flags};
  EXPECT_TRUE(Bit(MinorAlarms(Supplemental(h)), 7));

  h.Run(25);
  EXPECT_EQ(GpsTime(h).Single(6), 10.0f);
  EXPECT_EQ(Primary(h).I16(7), 10);
  flags = UtcTime(h).U8(19);
  EXPECT_FALSE(Bit(flags, 4) || Bit(flags, 5)) << int{flags};
  EXPECT_FALSE(Bit(MinorAlarms(Supplemental(h)), 7));

  SendExitTestMode(h);
  EXPECT_EQ(GpsTime(h).Single(6), static_cast<float>(kLeapSeconds));
  EXPECT_EQ(AskOne(h, SendUtcParamsQuery, 0x4F).I16(12), kLeapSeconds);
}

// ---- Segments and resets ---------------------------------------------------------------------

// A setting that lives in one configuration segment: how to change it and how to read it back.
struct Probe {
  const char* name;
  int segment;
  Send change;
  std::function<std::vector<uint8_t>(SimHarness&)> read;
};

std::vector<Probe> Probes() {
  return {
      {"receiver mode", 2,
       [](CommandSender& o) {
         SendReceiverConfig(o, ReceiverConfig{4, 0, 1, 0.2f, 5.0f, 9.0f, 7.0f, 15});
       },
       [](SimHarness& h) { return AskOne(h, SendReceiverConfigQuery, 0xBB).Bytes(1, 21); }},
      {"datum", 3, [](CommandSender& o) { SendDatum(o, 7); },
       [](SimHarness& h) { return AskOne(h, SendDatumQuery, 0x8F, 0x15).Bytes(1, 2); }},
      {"port A", 4,
       [](CommandSender& o) {
         SendPortSettings(o, PortSettings{0, 9, 3, 2, 1, 2, 2});
       },
       [](SimHarness& h) {
         return AskOne(
                    h, [](CommandSender& o) { SendPortConfigQuery(o, 0); }, 0xBC)
             .Payload();
       }},
      {"PPS output option", 5, [](CommandSender& o) { SendPpsOutputOption(o, 0x82); },
       [](SimHarness& h) { return AskOne(h, SendPpsOutputOptionQuery, 0x8F, 0x4E).Bytes(1, 1); }},
      {"survey limit", 7, [](CommandSender& o) { SendSelfSurveyParams(o, 1, 0, 777); },
       [](SimHarness& h) { return AskOne(h, SendSelfSurveyParamsQuery, 0x8F, 0xA9).Bytes(1, 6); }},
      {"NMEA interval", 8, [](CommandSender& o) { SendNmeaSettings(o, 5, 0x3F); },
       [](SimHarness& h) { return AskOne(h, SendNmeaQuery, 0x7B).Bytes(1, 5); }},
  };
}

using Values = std::vector<std::vector<uint8_t>>;

Values ReadAll(SimHarness& h) {
  Values values;
  for (const Probe& probe : Probes())
    values.push_back(probe.read(h));
  return values;
}

void ChangeAll(SimHarness& h) {
  for (const Probe& probe : Probes())
    probe.change(h);
}

struct ResetRow {
  const char* name;
  Send reset;
  bool keepsSaved;  // whether what was saved survives it
};

std::vector<ResetRow> Resets() {
  return {
      {"warm", SendWarmReset, true},
      {"cold", [](CommandSender& o) { SendReset(o, ResetCode::Cold); }, true},
      {"factory navigation", [](CommandSender& o) { SendReset(o, ResetCode::FactoryNavigation); },
       true},
      {"factory all", [](CommandSender& o) { SendReset(o, ResetCode::FactoryAll); }, false},
      {"factory configuration", [](CommandSender& o) { SendReset(o, ResetCode::FactoryConfig); },
       false},
  };
}

TEST(SimEngineSegments, UnsavedChangesAreLostOnEveryReset) {
  for (const ResetRow& row : Resets()) {
    SCOPED_TRACE(row.name);
    SimHarness h;
    h.Run(10);
    const Values factory = ReadAll(h);
    ChangeAll(h);
    const Values changed = ReadAll(h);
    for (size_t i = 0; i < changed.size(); ++i)
      EXPECT_NE(changed[i], factory[i]) << i;
    row.reset(h);
    EXPECT_EQ(ReadAll(h), factory);
  }
}

TEST(SimEngineSegments, SavedChangesSurviveResetsButNotFactoryResets) {
  for (const ResetRow& row : Resets()) {
    SCOPED_TRACE(row.name);
    SimHarness h;
    h.Run(10);
    const Values factory = ReadAll(h);
    ChangeAll(h);
    const Values changed = ReadAll(h);
    SendSaveSegments(h);
    row.reset(h);
    h.Run(10);
    EXPECT_EQ(ReadAll(h), row.keepsSaved ? changed : factory);
  }
}

TEST(SimEngineSegments, RevertingOneSegmentRevertsOnlyItAndSavesAll) {
  for (const Probe& reverted : Probes()) {
    SCOPED_TRACE(reverted.name);
    SimHarness h;
    const Values factory = ReadAll(h);
    ChangeAll(h);
    const Values changed = ReadAll(h);
    SendRevertSegment(h, reverted.segment);
    for (int pass = 0; pass < 2; ++pass) {
      SCOPED_TRACE(pass == 0 ? "reverted" : "after a warm reset");
      const Values now = ReadAll(h);
      const auto probes = Probes();
      for (size_t i = 0; i < probes.size(); ++i) {
        EXPECT_EQ(now[i], probes[i].segment == reverted.segment ? factory[i] : changed[i])
            << probes[i].name;
      }
      SendWarmReset(h);
    }
  }
}

TEST(SimEngineSegments, RevertingAllSegmentsRestoresTheFactoryConfiguration) {
  SimHarness h;
  const Values factory = ReadAll(h);
  ChangeAll(h);
  SendSaveSegments(h);
  SendRevertSegment(h, kAllSegments);
  EXPECT_EQ(ReadAll(h), factory);
  SendWarmReset(h);
  EXPECT_EQ(ReadAll(h), factory);
}

TEST(SimEngineSegments, CorruptSegmentsAreReportedUntilTheyAreWritten) {
  struct Row {
    const char* name;
    Send command;
    bool clears;
  };
  const std::vector<Row> rows{
      {"warm reset", SendWarmReset, false},
      {"cold reset", [](CommandSender& o) { SendReset(o, ResetCode::Cold); }, false},
      {"save", SendSaveSegments, true},
      {"revert one segment", [](CommandSender& o) { SendRevertSegment(o, 5); }, true},
      {"revert all segments", [](CommandSender& o) { SendRevertSegment(o, kAllSegments); }, true},
      {"factory reset", [](CommandSender& o) { SendReset(o, ResetCode::FactoryAll); }, true},
      {"configuration reset", [](CommandSender& o) { SendReset(o, ResetCode::FactoryConfig); },
       true},
  };
  SimHarness clean;
  EXPECT_EQ(AskOne(clean, SendSegmentStatusQuery, 0x5F, 0x11).U16(1), 0);
  EXPECT_FALSE(Bit(MinorAlarms(Supplemental(clean)), 10));
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    SimOptions options;
    options.corruptSegments = 0x0804;
    SimHarness h(options);
    EXPECT_EQ(AskOne(h, SendSegmentStatusQuery, 0x5F, 0x11).U16(1), 0x0804);
    EXPECT_TRUE(Bit(MinorAlarms(Supplemental(h)), 10)) << "EEPROM invalid";
    row.command(h);
    h.Run(10);
    EXPECT_EQ(AskOne(h, SendSegmentStatusQuery, 0x5F, 0x11).U16(1), row.clears ? 0 : 0x0804);
    EXPECT_EQ(Bit(MinorAlarms(Supplemental(h)), 10), !row.clears);
  }
}

bool AlmanacAnswered(SimHarness& h) {
  return !ReportsOf(Ask(h, [](CommandSender& o) { SendAlmanacQuery(o, 3); }), 0x40).empty();
}

uint8_t SystemDataOperation(SimHarness& h, int type, int sv) {
  return AskOne(
             h, [&](CommandSender& o) { SendSystemDataRequest(o, type, sv); }, 0x58)
      .U8(0);
}

TEST(SimEngineSegments, ColdResetForgetsTheAlmanacAndRestartsTheSurvey) {
  SimOptions options;
  options.surveySeconds = 100;
  options.almanacSeconds = 30;
  SimHarness h(options);
  h.Run(kSettledSeconds);
  ASSERT_TRUE(AlmanacAnswered(h));
  EXPECT_EQ(SystemDataOperation(h, 3, 0), 2);
  EXPECT_FALSE(Bit(MinorAlarms(Supplemental(h)), 11));
  ASSERT_GT(Supplemental(h).U8(3), 0) << "the survey should be under way";

  SendWarmReset(h);  // keeps the almanac; the survey starts again
  EXPECT_TRUE(AlmanacAnswered(h));
  h.Run(kSettledSeconds);
  ASSERT_GT(Supplemental(h).U8(3), 0);

  SendReset(h, ResetCode::Cold);
  EXPECT_FALSE(AlmanacAnswered(h));
  for (const auto& [type, sv] : std::vector<std::pair<int, int>>{{3, 0}, {2, 1}, {4, 0}, {5, 0}}) {
    EXPECT_NE(SystemDataOperation(h, type, sv), 2) << "type " << type;
  }
  Report supplemental = Supplemental(h);
  EXPECT_EQ(supplemental.U8(3), 0);
  EXPECT_TRUE(Bit(MinorAlarms(supplemental), 5));   // surveying
  EXPECT_TRUE(Bit(MinorAlarms(supplemental), 11));  // almanac incomplete

  h.Run(options.almanacSeconds - 2);
  EXPECT_FALSE(AlmanacAnswered(h));
  h.Run(3);
  EXPECT_TRUE(AlmanacAnswered(h));
  EXPECT_EQ(SystemDataOperation(h, 3, 0), 2);
  supplemental = Supplemental(h);
  EXPECT_FALSE(Bit(MinorAlarms(supplemental), 11));
  EXPECT_GT(supplemental.U8(3), 0);
}

// ---- Almanac transfer ------------------------------------------------------------------------

struct Block {
  int type;
  int sv;
};

// The blocks of a download, in its order.
std::vector<Block> DownloadOrder() {
  std::vector<Block> blocks{{3, 0}};
  for (int sv = 1; sv <= 32; ++sv)
    blocks.push_back({2, sv});
  blocks.push_back({4, 0});
  blocks.push_back({5, 0});
  return blocks;
}

std::vector<Report> Download(SimHarness& h) {
  std::vector<Report> answers;
  for (const Block& block : DownloadOrder()) {
    answers.push_back(AskOne(
        h, [&](CommandSender& o) { SendSystemDataRequest(o, block.type, block.sv); }, 0x58));
  }
  return answers;
}

TEST(SimEngineAlmanac, DownloadGetsEveryBlock) {
  SimHarness h;
  h.Run(kSettledSeconds);
  const auto blocks = DownloadOrder();
  const auto answers = Download(h);
  ASSERT_EQ(answers.size(), 35u);
  for (size_t i = 0; i < answers.size(); ++i) {
    SCOPED_TRACE(i);
    const Report& r = answers[i];
    EXPECT_EQ(r.U8(0), 2);
    EXPECT_EQ(r.U8(1), blocks[i].type);
    EXPECT_EQ(r.U8(2), blocks[i].sv);
    EXPECT_EQ(r.U8(3) + 4u, r.length());
    EXPECT_GT(r.U8(3), 0);
    // The monitor uploads a block in a 100-byte command: at most 95 data bytes.
    EXPECT_LE(r.U8(3), 95);
  }
  // An almanac block of a satellite carries that satellite.
  EXPECT_EQ(answers[1].U8(4), 1);
  EXPECT_EQ(answers[32].U8(4), 32);
}

std::vector<uint8_t> BlockData(const Block& block) {
  const size_t length = block.type == 2 ? 39 : block.type == 3 ? 34 : block.type == 4 ? 32 : 26;
  std::vector<uint8_t> data(length);
  for (size_t i = 0; i < length; ++i) {
    data[i] = static_cast<uint8_t>(block.type * 37 + block.sv * 11 + i * 7 + 0x10);
  }
  if (block.type == 2) data[0] = static_cast<uint8_t>(block.sv);
  return data;
}

TEST(SimEngineAlmanac, UploadedBlocksAreAcknowledgedAndDownloadedByteForByte) {
  SimOptions options;
  options.almanacSeconds = 600;
  SimHarness h(options);
  h.Run(10);
  ASSERT_NE(SystemDataOperation(h, 3, 0), 2) << "no almanac yet";
  ASSERT_TRUE(Bit(MinorAlarms(Supplemental(h)), 11));

  for (const Block& block : DownloadOrder()) {
    SCOPED_TRACE(std::to_string(block.type) + "/" + std::to_string(block.sv));
    const auto data = BlockData(block);
    const Report ack = AskOne(
        h, [&](CommandSender& o) { SendSystemDataLoad(o, block.type, block.sv, data); }, 0x58);
    EXPECT_EQ(ack.U8(0), 1);
    EXPECT_EQ(ack.U8(1), block.type);
    EXPECT_EQ(ack.U8(2), block.sv);
  }
  EXPECT_FALSE(Bit(MinorAlarms(Supplemental(h)), 11)) << "the uploaded almanac is complete";

  const auto blocks = DownloadOrder();
  const auto answers = Download(h);
  for (size_t i = 0; i < answers.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(answers[i].U8(0), 2);
    EXPECT_EQ(answers[i].Bytes(4, answers[i].length() - 4), BlockData(blocks[i]));
  }
  // The almanac query shows the uploaded almanac too.
  EXPECT_EQ(AskOne(
                h, [](CommandSender& o) { SendAlmanacQuery(o, 3); }, 0x40)
                .Payload(),
            BlockData({2, 3}));
}

TEST(SimEngineAlmanac, UnknownBlocksAreNotAvailableAndNotTaken) {
  SimHarness h;
  h.Run(kSettledSeconds);
  for (const Block& block : std::vector<Block>{{0, 0}, {1, 4}, {6, 0}, {2, 0}, {2, 33}}) {
    SCOPED_TRACE(std::to_string(block.type) + "/" + std::to_string(block.sv));
    const Report answer = AskOne(
        h, [&](CommandSender& o) { SendSystemDataRequest(o, block.type, block.sv); }, 0x58);
    EXPECT_NE(answer.U8(0), 2);
    EXPECT_EQ(answer.U8(1), block.type);
    EXPECT_EQ(answer.U8(2), block.sv);
  }
  const uint8_t data[4] = {1, 2, 3, 4};
  for (const Block& block : std::vector<Block>{{6, 0}, {0, 0}, {2, 0}, {1, 33}}) {
    SCOPED_TRACE(std::to_string(block.type) + "/" + std::to_string(block.sv));
    EXPECT_NE(
        AskOne(
            h, [&](CommandSender& o) { SendSystemDataLoad(o, block.type, block.sv, data); }, 0x58)
            .U8(0),
        1);
  }
  // A raw almanac is taken, and given back on request.
  EXPECT_EQ(AskOne(
                h, [&](CommandSender& o) { SendSystemDataLoad(o, 1, 4, data); }, 0x58)
                .U8(0),
            1);
  const Report raw = AskOne(
      h, [](CommandSender& o) { SendSystemDataRequest(o, 1, 4); }, 0x58);
  EXPECT_EQ(raw.U8(0), 2);
  EXPECT_EQ(raw.Bytes(4, 4), std::vector<uint8_t>(data, data + 4));
}

// ---- Broadcasts ------------------------------------------------------------------------------

size_t Count(const std::vector<PacketBytes>& packets, int id, int sub = -1) {
  return SimHarness::Only(packets, id, sub).size();
}

TEST(SimEngineBroadcasts, TimingPacketsComeOnceASecondByDefault) {
  SimHarness h;
  h.Run(10);
  const auto sent = RunFor(h, 10);
  const auto primary = ReportsOf(sent, 0x8F, 0xAB);
  ASSERT_EQ(primary.size(), 10u);
  EXPECT_EQ(Count(sent, 0x8F, 0xAC), 10u);
  EXPECT_EQ(sent.size(), 20u) << "nothing else by default";
  for (size_t i = 1; i < primary.size(); ++i) {
    EXPECT_EQ(primary[i].U32(1), primary[i - 1].U32(1) + 1);
  }
}

TEST(SimEngineBroadcasts, MaskSelectsWhatIsSentEverySecond) {
  struct Row {
    const char* name;
    char port;
    uint8_t mask1, mask2;
    size_t primary, supplemental, comprehensive, utcTime;
  };
  const std::vector<Row> rows{
      {"nothing", 'B', 0x00, 0x00, 0, 0, 0, 0},
      {"primary timing only", 'B', 0x00, 0x40, 10, 0, 0, 0},
      {"supplemental timing only", 'B', 0x00, 0x80, 0, 10, 0, 0},
      {"synchronous reports on port B", 'B', 0x88, 0x00, 0, 0, 10, 10},
      {"port A bits on port B", 'B', 0x11, 0x00, 0, 0, 0, 0},
      {"event bits alone", 'B', 0x66, 0x00, 0, 0, 0, 0},
      {"synchronous reports on port A", 'A', 0x11, 0x00, 0, 0, 10, 10},
      {"port B bits on port A", 'A', 0x88, 0x00, 0, 0, 0, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    SimOptions options;
    options.port = row.port;
    SimHarness h(options);
    h.Run(10);
    SendBroadcastMask(h, row.mask1, row.mask2);
    const auto sent = RunFor(h, 10);
    EXPECT_EQ(Count(sent, 0x8F, 0xAB), row.primary);
    EXPECT_EQ(Count(sent, 0x8F, 0xAC), row.supplemental);
    const auto comprehensive = ReportsOf(sent, 0x8F, 0x0B);
    const auto utcTime = ReportsOf(sent, 0x8F, 0xAD);
    EXPECT_EQ(comprehensive.size(), row.comprehensive);
    EXPECT_EQ(utcTime.size(), row.utcTime);
    EXPECT_EQ(sent.size(), row.primary + row.supplemental + row.comprehensive + row.utcTime);
    for (const Report& r : comprehensive) {
      EXPECT_EQ(r.length(), 74u);
      EXPECT_EQ(r.U16(1), 0) << "no event";
    }
    for (const Report& r : utcTime) {
      EXPECT_EQ(r.length(), 22u);
      EXPECT_EQ(r.U16(1), 0) << "no event";
    }
  }
}

TEST(SimEngineBroadcasts, PortAOutputOptionTurnsOnComprehensiveTimeAtPps) {
  SimOptions options;
  options.port = 'A';
  SimHarness h(options);
  h.Run(10);
  SendOutputOption(h, 0x0B, 1);
  EXPECT_EQ(Count(RunFor(h, 5), 0x8F, 0x0B), 5u);
  SendOutputOption(h, 0x0B, 0);
  EXPECT_EQ(Count(RunFor(h, 5), 0x8F, 0x0B), 0u);
}

TEST(SimEngineBroadcasts, AutomaticOutputsFollowTheirMask) {
  struct Row {
    const char* name;
    uint32_t mask;
    std::vector<std::pair<int, size_t>> perSecond;  // report id and its length
    bool perChannel = false;
  };
  const std::vector<Row> rows{
      {"almanac", 1u << 0, {{0x40, 39}}},
      {"ephemeris status", 1u << 1, {{0x5B, 16}}, true},
      {"UTC parameters", 1u << 2, {{0x4F, 26}}},
      {"almanac health", 1u << 5, {{0x49, 32}}},
      {"GPS time", 1u << 8, {{0x41, 10}}},
      {"status", 1u << 11, {{0x6D, 0}, {0x46, 2}, {0x4B, 3}}},
      {"position and velocity", 1u << 30, {{0x4A, 20}, {0x56, 20}}},
      {"raw measurements", 1u << 31, {{0x5A, 25}}, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    SimHarness h;
    h.Run(kSettledSeconds);
    SendAutoOutputMask(h, row.mask);
    EXPECT_EQ(RunFor(h, 3).size(), 6u) << "only the timing packets without mask 2 bit 5";
    SendBroadcastMask(h, 0x00, 0x20);
    const auto sent = RunFor(h, 5);
    for (const auto& [id, length] : row.perSecond) {
      const auto found = ReportsOf(sent, id);
      if (row.perChannel) {
        EXPECT_GE(found.size(), 5u * 8u) << std::hex << id;
      } else {
        EXPECT_EQ(found.size(), 5u) << std::hex << id;
      }
      for (const Report& r : found) {
        if (length != 0) {
          EXPECT_EQ(r.length(), length) << std::hex << id;
        }
      }
    }
    EXPECT_EQ(Count(sent, 0x8F), 0u) << "mask 2 has the timing packets off";
  }
  // They are port B's own: a monitor on port A does not see them.
  SimOptions options;
  options.port = 'A';
  SimHarness portA(options);
  portA.Run(kSettledSeconds);
  SendAutoOutputMask(portA, 0xFFFFFFFFu);
  SendBroadcastMask(portA, 0x00, 0x20);
  EXPECT_TRUE(RunFor(portA, 5).empty());
}

// ---- Time and timing -------------------------------------------------------------------------

TEST(SimEngineTime, TimeAdvancesOneSecondPerSecond) {
  SimHarness h;
  const WeekTime start = StartWeekTime();
  h.Run(10);
  Report time = GpsTime(h);
  EXPECT_EQ(time.Single(0), static_cast<float>(start.timeOfWeek + 10));
  EXPECT_EQ(time.U16(4), start.week);
  EXPECT_EQ(time.Single(6), static_cast<float>(kLeapSeconds));
  h.Run(7);
  EXPECT_EQ(GpsTime(h).Single(0), static_cast<float>(start.timeOfWeek + 17));

  const Report primary = Primary(h);
  EXPECT_EQ(primary.U32(1), static_cast<uint32_t>(start.timeOfWeek + 17));
  EXPECT_EQ(primary.U16(5), start.week);
  EXPECT_EQ(primary.I16(7), kLeapSeconds);
  // GPS calendar time: 12:00:35 on 16 June 2024.
  EXPECT_EQ(primary.U8(10), 35);
  EXPECT_EQ(primary.U8(11), 0);
  EXPECT_EQ(primary.U8(12), 12);
  EXPECT_EQ(primary.U8(13), 16);
  EXPECT_EQ(primary.U8(14), 6);
  EXPECT_EQ(primary.U16(15), 2024);

  // The primary UTC time: 12:00:17 UTC and no leap second scheduled.
  const Report utc = UtcTime(h);
  EXPECT_EQ(utc.U8(11), 12);
  EXPECT_EQ(utc.U8(12), 0);
  EXPECT_EQ(utc.U8(13), 17);
  EXPECT_EQ(utc.U8(14), 16);
  EXPECT_EQ(utc.U8(15), 6);
  EXPECT_EQ(utc.U16(16), 2024);
  EXPECT_GE(utc.Double(3), 0.0);
  EXPECT_LT(utc.Double(3), 1.0);
  EXPECT_TRUE(Bit(utc.U8(19), 0)) << "UTC available";
  EXPECT_EQ(utc.U8(19) & 0xF0, 0);

  // Week rollover: the time of week starts again at 0 with the next week.
  SimHarness weekEnd({}, (start.week + 1.0) * 604800.0 - 20.0);
  weekEnd.Run(15);
  EXPECT_EQ(GpsTime(weekEnd).Single(0), 604795.0f);
  weekEnd.Run(10);
  time = GpsTime(weekEnd);
  EXPECT_EQ(time.Single(0), 5.0f);
  EXPECT_EQ(time.U16(4), start.week + 1);
}

TEST(SimEngineTime, ScheduledLeapSecondIsFlaggedAndThenTaken) {
  SimOptions options;
  options.leapIn = 30;
  SimHarness h(options);
  h.Run(10);
  uint8_t flags = UtcTime(h).U8(19);
  EXPECT_TRUE(Bit(flags, 4)) << "scheduled";
  EXPECT_TRUE(Bit(flags, 5)) << "pending";
  EXPECT_FALSE(Bit(flags, 7));
  EXPECT_TRUE(Bit(MinorAlarms(Supplemental(h)), 7));
  EXPECT_EQ(GpsTime(h).Single(6), 18.0f);
  EXPECT_EQ(AskOne(h, SendUtcParamsQuery, 0x4F).I16(24), 19) << "delta t LSF";

  // Watch it pass, second by second: exactly one report has the leap in progress.
  SendBroadcastMask(h, 0x80, 0x00);
  const auto utcTimes = ReportsOf(RunFor(h, 30), 0x8F, 0xAD);
  ASSERT_EQ(utcTimes.size(), 30u);
  EXPECT_EQ(std::count_if(utcTimes.begin(), utcTimes.end(),
                          [](const Report& r) { return Bit(r.U8(19), 7); }),
            1);

  flags = UtcTime(h).U8(19);
  EXPECT_FALSE(Bit(flags, 4) || Bit(flags, 5) || Bit(flags, 7)) << int{flags};
  EXPECT_FALSE(Bit(MinorAlarms(Supplemental(h)), 7));
  EXPECT_EQ(GpsTime(h).Single(6), 19.0f);
  EXPECT_EQ(Primary(h).I16(7), 19);
}

TEST(SimEngineTime, InitialTimeIsTakenOnlyBeforeAcquisition) {
  SimHarness h;
  const WeekTime start = StartWeekTime();
  // Before acquisition the receiver has no time of its own and takes the one offered.
  const float offered = static_cast<float>(start.timeOfWeek - 100);
  EXPECT_EQ(AskOne(
                h, [&](CommandSender& o) { SendInitialTime(o, offered, start.week); }, 0x4E)
                .U8(0),
            'Y');
  Report time = GpsTime(h);
  EXPECT_NEAR(time.Single(0), offered, 1.0);
  EXPECT_EQ(time.U16(4), start.week);

  h.Run(10);  // acquired: satellite time replaces it
  EXPECT_EQ(GpsTime(h).Single(0), static_cast<float>(start.timeOfWeek + 10));
  EXPECT_EQ(AskOne(
                h, [&](CommandSender& o) { SendInitialTime(o, offered, start.week); }, 0x4E)
                .U8(0),
            'N');
  EXPECT_EQ(GpsTime(h).Single(0), static_cast<float>(start.timeOfWeek + 10));
}

TEST(SimEngineTime, SelfSurveyRisesToCompletionAndHoldsThePosition) {
  SimOptions options;
  options.surveySeconds = 60;
  SimHarness h(options);
  std::vector<Report> reports;
  for (int second = 0; second < 150; ++second) {
    for (const Report& r : ReportsOf(RunFor(h, 1), 0x8F, 0xAC))
      reports.push_back(r);
  }
  ASSERT_EQ(reports.size(), 150u);
  EXPECT_EQ(reports.front().U8(3), 0);
  EXPECT_EQ(reports.back().U8(3), 100);
  int completedAt = -1;
  for (size_t i = 0; i < reports.size(); ++i) {
    SCOPED_TRACE(i);
    const Report& r = reports[i];
    if (i > 0) {
      EXPECT_GE(r.U8(3), reports[i - 1].U8(3)) << "progress never goes back";
    }
    EXPECT_LE(r.U8(3), 100);
    const uint16_t alarms = MinorAlarms(r);
    if (r.U8(3) < 100) {
      EXPECT_TRUE(Bit(alarms, 5)) << "survey activity";
      EXPECT_TRUE(Bit(alarms, 6)) << "no stored position";
      EXPECT_NE(r.U8(1), 7);
    } else {
      if (completedAt < 0) completedAt = static_cast<int>(i);
      EXPECT_FALSE(Bit(alarms, 5));
      EXPECT_FALSE(Bit(alarms, 6));
      EXPECT_EQ(r.U8(1), 7) << "overdetermined clock";
    }
  }
  // Sixty fixes, one a second, once the receiver has satellites with ephemeris.
  EXPECT_GE(completedAt, 60);
  EXPECT_LE(completedAt, 120);
  // Half way the progress is near half.
  const int halfway = completedAt - 30;
  EXPECT_NEAR(reports[static_cast<size_t>(halfway)].U8(3), 50, 5);

  // The held position is the mean of the fixes reported while surveying, which scatter by
  // metres around it; once held it no longer moves.
  double latitudeSum = 0, altitudeSum = 0, lowest = 1e9, highest = -1e9;
  int fixes = 0;
  for (int i = 0; i < completedAt; ++i) {
    const Report& r = reports[static_cast<size_t>(i)];
    if (r.Double(36) == 0 && r.Double(44) == 0) continue;  // no fix yet
    latitudeSum += r.Double(36);
    altitudeSum += r.Double(52);
    lowest = std::min(lowest, r.Double(52));
    highest = std::max(highest, r.Double(52));
    ++fixes;
  }
  ASSERT_GE(fixes, 50);
  const Report& held = reports.back();
  EXPECT_NEAR(held.Double(36), latitudeSum / fixes, 3e-7);  // two metres
  EXPECT_NEAR(held.Double(52), altitudeSum / fixes, 3.0);
  EXPECT_GT(highest - lowest, 1.0) << "single fixes scatter";
  EXPECT_EQ(reports[reports.size() - 20].Double(36), held.Double(36));
  EXPECT_EQ(reports[reports.size() - 20].Double(52), held.Double(52));

  // A restart begins again from zero.
  SendRestartSelfSurvey(h);
  const Report restarted = Supplemental(h);
  EXPECT_EQ(restarted.U8(3), 0);
  EXPECT_TRUE(Bit(MinorAlarms(restarted), 5));
  EXPECT_NE(restarted.U8(1), 7);
}

TEST(SimEngineTime, ClockOffsetsStayWithinTheirBounds) {
  SimHarness h;
  h.Run(10);
  const auto reports = ReportsOf(RunFor(h, 600), 0x8F, 0xAC);
  ASSERT_EQ(reports.size(), 600u);
  std::set<float> quantizations;
  std::set<float> ppsOffsets;
  for (const Report& r : reports) {
    EXPECT_LE(std::fabs(r.Single(16)), 30.0f) << "PPS offset, ns";
    EXPECT_LE(std::fabs(r.Single(20)), 1.0f) << "oscillator offset, ppb";
    EXPECT_LE(std::fabs(r.Single(60)), 5.0f) << "quantization error, ns";
    EXPECT_NE(r.U8(64), 0) << "PPS generated";
    quantizations.insert(r.Single(60));
    ppsOffsets.insert(r.Single(16));
  }
  // They move: a fixed value would not be a clock.
  EXPECT_GT(quantizations.size(), 500u);
  EXPECT_GT(ppsOffsets.size(), 500u);
}

TEST(SimEngineTime, TrackedSatellitesAreTwelveChannelsAtMost) {
  SimHarness h;
  SendBroadcastMask(h, 0x00, 0x00);
  h.Run(kSettledSeconds);
  for (int sample = 0; sample < 48; ++sample) {  // four hours, every five minutes
    SCOPED_TRACE(sample);
    const auto tracking = ReportsOf(Ask(h, SendTrackingStatusQuery), 0x5C);
    EXPECT_GE(tracking.size(), 8u);
    EXPECT_LE(tracking.size(), 12u);
    std::set<int> channels;
    std::set<int> prns;
    for (const Report& r : tracking) {
      EXPECT_EQ(r.length(), 24u);
      channels.insert(r.U8(1) >> 3);
      prns.insert(r.U8(0));
      EXPECT_GE(r.U8(0), 1);
      EXPECT_LE(r.U8(0), 32);
      EXPECT_GE(r.Single(12), 0.0f) << "elevation";
      EXPECT_LE(r.Single(12), static_cast<float>(std::numbers::pi / 2));
      EXPECT_GE(r.Single(16), 0.0f) << "azimuth";
      EXPECT_LT(r.Single(16), static_cast<float>(2 * std::numbers::pi));
      EXPECT_GT(r.Single(4), 0.0f) << "signal level";
    }
    EXPECT_EQ(channels.size(), tracking.size()) << "one satellite per channel";
    EXPECT_EQ(prns.size(), tracking.size());
    EXPECT_LE(*channels.rbegin(), 11);
    h.Run(300);
  }
}

TEST(SimEngineTime, SelectionListsTrackedSatellitesAndNowAndThenExcludesOne) {
  SimHarness h;
  SendBroadcastMask(h, 0x00, 0x00);
  h.Run(kSettledSeconds);
  int withExcluded = 0;
  for (int second = 0; second < 200; ++second) {
    SCOPED_TRACE(second);
    std::set<int> tracked;
    for (const Report& r : ReportsOf(Ask(h, SendTrackingStatusQuery), 0x5C)) {
      tracked.insert(r.U8(0));
    }
    const Report selection = AskOne(h, SendSatelliteSelectionQuery, 0x6D);
    ASSERT_GE(selection.length(), 17u);
    const size_t count = selection.length() - 17;
    EXPECT_LE(count, 8u);
    int used = 0;
    bool excluded = false;
    for (size_t i = 0; i < count; ++i) {
      const int prn = selection.I8(17 + i);
      EXPECT_TRUE(tracked.contains(std::abs(prn))) << prn;
      if (prn > 0) ++used;
      if (prn < 0) excluded = true;
    }
    EXPECT_GE(used, 4);
    EXPECT_GE(selection.Single(1), 1.0f) << "PDOP";
    EXPECT_LT(selection.Single(1), 10.0f);
    withExcluded += excluded ? 1 : 0;
    h.Run(1);
  }
  EXPECT_GT(withExcluded, 0);
  EXPECT_LT(withExcluded, 40);
}

// ---- Events ----------------------------------------------------------------------------------

TEST(SimEngineEvents, CountedEventWaitsForTheQuery) {
  SimHarness h;
  h.Run(10);
  EXPECT_EQ(UtcTime(h).U16(1), 0) << "no event yet";
  h.Replies();
  h.engine.Event();  // at 12:00:10 UTC
  EXPECT_TRUE(h.Replies().empty()) << "the masks ask for no event report";
  h.Run(3);
  Report event = UtcTime(h);
  EXPECT_EQ(event.U16(1), 1);
  EXPECT_EQ(event.U8(11), 12);
  EXPECT_EQ(event.U8(12), 0);
  EXPECT_EQ(event.U8(13), 10) << "the time of the event, not of the query";
  const Report after = UtcTime(h);
  EXPECT_EQ(after.U16(1), 0) << "an event is reported once";
  EXPECT_EQ(after.U8(13), 13);

  h.engine.Event();
  h.engine.Event();
  event = AskOne(h, SendComprehensiveTimeQuery, 0x8F, 0x0B);
  EXPECT_EQ(event.U16(1), 3) << "the count goes on";
}

TEST(SimEngineEvents, EventMaskBitsSendTheReportAtOnce) {
  struct Row {
    const char* name;
    char port;
    uint8_t mask1;
    int sub;
  };
  const std::vector<Row> rows{
      {"UTC time on port B", 'B', 0x40, 0xAD},
      {"comprehensive time on port B", 'B', 0x04, 0x0B},
      {"UTC time on port A", 'A', 0x20, 0xAD},
      {"comprehensive time on port A", 'A', 0x02, 0x0B},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    SimOptions options;
    options.port = row.port;
    SimHarness h(options);
    h.Run(10);
    SendBroadcastMask(h, row.mask1, 0x00);
    EXPECT_TRUE(RunFor(h, 3).empty()) << "event reports wait for events";
    h.engine.Event();
    const auto sent = h.Replies();
    ASSERT_EQ(sent.size(), 1u);
    const Report report(sent[0]);
    EXPECT_EQ(report.id(), 0x8F);
    EXPECT_EQ(report.U8(0), row.sub);
    EXPECT_EQ(report.U16(1), 1);
    EXPECT_EQ(UtcTime(h).U16(1), 0) << "already reported";
  }
}

// ---- Identity --------------------------------------------------------------------------------

// The receiver type the monitor selects from the production parameters; 0: it keeps the one it
// has.
int SelectedType(uint16_t premiumOptions, uint16_t machineId) {
  if (machineId == 98) return 0;
  if (machineId == 91) return 5;
  switch (premiumOptions) {
    case 0:
      return 1;
    case 8:
      return 2;
    case 4:
    case 64:
      return 3;
    case 2:
      return 4;
    default:
      return 0;
  }
}

TEST(SimEngineIdentity, EachModelIsRecognisedByItsProductionParameters) {
  const std::vector<std::pair<Model, int>> rows{
      {Model::T2K, 1},  {Model::Netrel, 2}, {Model::Harvane, 3},
      {Model::Tpv2, 4}, {Model::Varnel, 5}, {Model::Id98, 0},
  };
  for (const auto& [model, type] : rows) {
    SCOPED_TRACE(type);
    SimOptions options;
    options.model = model;
    SimHarness h(options);
    const Report production = AskOne(h, SendProductionParamsQuery, 0x8F, 0x42);
    EXPECT_EQ(SelectedType(production.U16(13), production.U16(15)), type);
  }
}

// ---- Determinism and faults ------------------------------------------------------------------

std::vector<uint8_t> Session(const SimOptions& options) {
  SimHarness h(options);
  SendBroadcastMask(h, 0x88, 0xE0);
  SendAutoOutputMask(h, 0x80000900u);
  h.Run(30);
  SendTrackingStatusQuery(h);
  SendDatum(h, 3);
  SendDatumQuery(h);
  h.Run(20);
  h.engine.Event();
  SendPrimaryUtcTimeQuery(h);
  h.Run(5);
  return h.engine.TakeOutput();
}

TEST(SimEngineFaults, SameSeedSameBytesOtherSeedOtherValues) {
  SimOptions options;
  options.seed = 7;
  const auto first = Session(options);
  ASSERT_GT(first.size(), 1000u);
  EXPECT_EQ(Session(options), first);

  options.seed = 8;
  const auto other = Session(options);
  EXPECT_NE(other, first);
  // The values differ, not only their framing: the clock offsets of the same second.
  const auto a = ReportsOf(testing::Deframe(first), 0x8F, 0xAC);
  const auto b = ReportsOf(testing::Deframe(other), 0x8F, 0xAC);
  ASSERT_EQ(a.size(), b.size());
  ASSERT_FALSE(a.empty());
  EXPECT_NE(a.back().Single(16), b.back().Single(16));
}

TEST(SimEngineFaults, DroppedPackets) {
  SimOptions options;
  options.dropFraction = 1;
  SimHarness silent(options);
  silent.Run(10);
  SendSoftwareVersionQuery(silent);
  SendTimingPacketsQuery(silent);
  EXPECT_TRUE(silent.engine.TakeOutput().empty());

  options.dropFraction = 0.5;
  SimHarness lossy(options);
  const size_t primary = Count(RunFor(lossy, 200), 0x8F, 0xAB);
  EXPECT_GT(primary, 60u);
  EXPECT_LT(primary, 140u);
}

TEST(SimEngineFaults, SilentAfterStopsAllOutput) {
  SimOptions options;
  options.silentAfter = 10;
  SimHarness h(options);
  EXPECT_EQ(Count(RunFor(h, 9.5), 0x8F, 0xAB), 9u);
  EXPECT_EQ(Ask(h, SendSoftwareVersionQuery).size(), 1u) << "still talking";
  h.Run(1);
  SendSoftwareVersionQuery(h);
  h.engine.Event();
  h.Run(20);
  EXPECT_TRUE(h.engine.TakeOutput().empty());
}

TEST(SimEngineFaults, FatalErrorsComeAtTheirIntervalWithAText) {
  SimOptions options;
  options.fatalEvery = 5;
  SimHarness h(options);
  const auto sent = RunFor(h, 21);
  std::vector<PacketBytes> fatal;
  for (const PacketBytes& p : SimHarness::Only(sent, 0x5F)) {
    if (p.size() > 1 && (p[1] == 0xFF || p[1] == 0xFE)) fatal.push_back(p);
  }
  ASSERT_EQ(fatal.size(), 4u);
  EXPECT_EQ(Count(sent, 0x5F), 4u);
  std::set<int> subCodes;
  for (const PacketBytes& p : fatal) {
    subCodes.insert(p[1]);
    const std::string text(p.begin() + 2, p.end());
    EXPECT_FALSE(text.empty());
    EXPECT_TRUE(std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c < 0x7F; }))
        << text;
  }
  EXPECT_EQ(subCodes, (std::set<int>{0xFE, 0xFF})) << "both kinds are shown";

  SimHarness healthy;
  EXPECT_EQ(Count(RunFor(healthy, 21), 0x5F), 0u);
}

TEST(SimEngineFaults, CorruptionChangesAboutItsFractionOfBytes) {
  SimOptions options;
  SimHarness clean(options);
  options.corruptFraction = 0.1;
  SimHarness noisy(options);
  clean.Run(100);
  noisy.Run(100);
  const auto good = clean.engine.TakeOutput();
  const auto bad = noisy.engine.TakeOutput();
  ASSERT_EQ(good.size(), bad.size()) << "bytes are changed, not added or removed";
  ASSERT_GT(good.size(), 5000u);
  size_t changed = 0;
  for (size_t i = 0; i < good.size(); ++i)
    changed += good[i] != bad[i] ? 1 : 0;
  const double fraction = static_cast<double>(changed) / static_cast<double>(good.size());
  EXPECT_GT(fraction, 0.07);
  EXPECT_LT(fraction, 0.13);
}

std::string TextOf(const std::vector<uint8_t>& bytes) { return {bytes.begin(), bytes.end()}; }

TEST(SimEngineFaults, PortSettingsTextFollowsTheFirstPortSettingsCommandOnly) {
  SimOptions options;
  options.breakText.emplace();  // the text of the receiver's own settings
  SimHarness h(options);
  SendPortConfigQuery(h, 1);
  EXPECT_EQ(TextOf(h.engine.TakeOutput()).find("PR"), std::string::npos) << "a query is no cue";

  SendPortSettings(h, PortSettings{1, 8, 3, 2, 0, 2, 2});  // 19200 8-Even-1
  const std::string text = TextOf(h.engine.TakeOutput());
  const size_t at = text.find("PR");
  ASSERT_NE(at, std::string::npos);
  PortSettings parsed{};
  ParseBreakResponse(std::string_view(text).substr(at), parsed);
  EXPECT_EQ(parsed.portIndex, 1);
  EXPECT_EQ(parsed.baudCode, 8);
  EXPECT_EQ(parsed.dataBitsCode, 3);
  EXPECT_EQ(parsed.stopBitsCode, 0);
  EXPECT_EQ(parsed.parityCode, 2);

  SendPortSettings(h, PortSettings{1, 7, 3, 1, 0, 2, 2});
  EXPECT_EQ(TextOf(h.engine.TakeOutput()).find("PR"), std::string::npos) << "only once";
  h.engine.Connected();  // a new connection hears it again
  SendPortSettings(h, PortSettings{1, 7, 3, 1, 0, 2, 2});
  EXPECT_NE(TextOf(h.engine.TakeOutput()).find("PR"), std::string::npos);

  // A given text is sent as it is, and the framed reports around it still come through.
  options.breakText = "PR;A,0,RXBIN,4800,8,1,N,";
  SimHarness given(options);
  given.Run(2);
  SendPortSettings(given, DefaultPortSettings(1));
  given.Run(2);
  const auto bytes = given.engine.TakeOutput();
  const std::string all = TextOf(bytes);
  EXPECT_NE(all.find("PR;A,0,RXBIN,4800,8,1,N,\r\n"), std::string::npos);
  EXPECT_EQ(Count(testing::Deframe(bytes), 0x8F, 0xAB), 4u);

  SimHarness none;  // no text unless asked for
  SendPortSettings(none, DefaultPortSettings(1));
  EXPECT_TRUE(none.engine.TakeOutput().empty());
}

}  // namespace
}  // namespace zelkon
