#include "core/dispatcher.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "model/inspect.h"
#include "routes/report_routes.h"
#include "sim/receiver.h"
#include "sim/reports.h"
#include "sim/sim_harness.h"
#include "support/temp_path.h"
#include "support/test_rig.h"

namespace zelkon {
namespace {

using testing::Frame;
using testing::PacketBytes;
using testing::TestRig;

// Every packet the emulator sends, from each of its encoders, in every form its settings give.
std::vector<sim::Packet> EmulatorReports() {
  sim::SimOptions options;
  options.acquireSeconds = 5;
  std::vector<sim::Packet> packets;
  for (const bool longVersion : {false, true}) {
    options.longVersion = longVersion;
    sim::Receiver r(options, testing::DefaultStartGps());
    r.AdvanceTo(testing::DefaultStartGps() + 45);
    packets.push_back(sim::SoftwareVersionReport(r));
    if (longVersion) continue;
    // Single and double precision, ECEF and LLA, both velocities.
    for (const uint8_t precision : {0x00, 0x10}) {
      r.config.io.ioOptions[0] = static_cast<uint8_t>(precision | 0x03);
      r.config.io.ioOptions[1] = 0x03;
      for (sim::Packet& p : sim::PositionVelocityReports(r))
        packets.push_back(std::move(p));
    }
    for (sim::Packet& p : sim::TrackingStatusReports(r))
      packets.push_back(std::move(p));
    const int prn = sim::TrackingStatusReports(r).front().payload[0];
    if (auto almanac = sim::AlmanacReport(r, prn)) packets.push_back(*almanac);
    packets.insert(packets.end(), {sim::GpsTimeReport(r),
                                   sim::HealthReport(r),
                                   sim::TimeAcceptedReport(true),
                                   sim::TimingPrimaryReport(r),
                                   sim::TimingSupplementalReport(r),
                                   sim::PrimaryUtcTimeReport(r, std::nullopt),
                                   sim::ComprehensiveTimeReport(r, std::nullopt),
                                   sim::SatelliteSelectionReport(r),
                                   sim::RawMeasurementReport(r, prn),
                                   sim::EphemerisStatusReport(r, prn),
                                   sim::AlmanacHealthReport(r),
                                   sim::UtcParamsReport(r),
                                   sim::IoOptionsReport(r),
                                   sim::NmeaConfigReport(r),
                                   sim::ReceiverConfigReport(r),
                                   sim::PortConfigReport(r, 0),
                                   sim::ReferenceAltitudeReport(r),
                                   sim::DatumReport(r),
                                   sim::PpsCharacteristicsReport(r),
                                   sim::SurveyLimitReport(r),
                                   sim::AutoOutputMaskReport(r),
                                   sim::PpsOutputOptionReport(r),
                                   sim::PpsWidthReport(r),
                                   sim::BroadcastMaskReport(r),
                                   sim::SelfSurveyParamsReport(r),
                                   sim::SegmentStatusReport(r),
                                   sim::ManufacturingParamsReport(r),
                                   sim::ProductionParamsReport(r),
                                   sim::FatalReport(false, "Trap"),
                                   sim::FatalReport(true, "")});
  }
  return packets;
}

// The report table, the routes and the emulator are written apart; these catch them drifting.
TEST(ReportTable, EveryRowHasOneRouteAndTheEmulatorSendsEachAtALengthItAccepts) {
  std::map<std::string, int> routesOfRow;
  for (const ReportType* type : AllReportTypes()) {
    for (const Route& route : ReportRoutes()) {
      if (route.report == type->parsedInto) ++routesOfRow[type->name];
    }
    EXPECT_EQ(routesOfRow[type->name], 1) << type->name;
  }
  for (const Route& route : ReportRoutes()) {
    EXPECT_TRUE(
        std::any_of(AllReportTypes().begin(), AllReportTypes().end(),
                    [&](const ReportType* type) { return type->parsedInto == route.report; }))
        << "a route without a row";
  }

  // Each emulator packet of a known report is of a length the table accepts and parses; only the
  // reports the monitor has no row for (0x54 bias, 0x58 system data) are unknown.
  std::set<std::string> sent;
  for (const sim::Packet& packet : EmulatorReports()) {
    const ReportMatch match = FindReport(packet.id, packet.payload);
    if (packet.id == 0x54) {
      EXPECT_EQ(match.outcome, PacketOutcome::UnknownId);
      continue;
    }
    ASSERT_EQ(match.outcome, PacketOutcome::Decoded)
        << std::hex << int{packet.id} << " of " << std::dec << packet.payload.size() << " bytes";
    EXPECT_NE(ReportJson(packet.id, packet.payload).find("\"parsed\":true"), std::string::npos)
        << match.type->name;
    sent.insert(match.type->name);
  }
  for (const ReportType* type : AllReportTypes()) {
    if (type->addFields == nullptr) continue;  // taken unread: the emulator does not send it
    EXPECT_TRUE(sent.count(type->name)) << type->name << " is never sent by the emulator";
  }
}

// What becomes of a packet: by sub-code, by length, and by the engineering mode.
TEST(Dispatcher, APacketIsDecodedRefusedForItsLengthOrUnknown) {
  TestRig rig;
  ASSERT_TRUE(rig.Start());
  Monitor& app = rig.app;
  const auto outcome = [&](uint8_t id, std::vector<uint8_t> payload) {
    return DispatchReport(app, id, payload);
  };
  using enum PacketOutcome;
  EXPECT_EQ(outcome(0x4A, std::vector<uint8_t>(9)), Decoded);   // the reference altitude
  EXPECT_EQ(outcome(0x4A, std::vector<uint8_t>(20)), Decoded);  // the LLA position
  EXPECT_EQ(outcome(0x4A, std::vector<uint8_t>(8)), BadLength);
  EXPECT_EQ(outcome(0x8F, {0xAB, 0x00}), BadLength);
  EXPECT_EQ(outcome(0x8F, {}), UnknownId);  // no sub-code at all
  EXPECT_EQ(outcome(0x8F, {0x99}), UnknownId);
  EXPECT_EQ(outcome(0x4B, {0x00, 0x01, 0x02}), Decoded);  // taken, nothing read
  EXPECT_EQ(outcome(0x4B, {}), Decoded);
  EXPECT_EQ(outcome(0x99, {0x01}), UnknownId);
  EXPECT_EQ(outcome(0x5F, {0x11, 0x08, 0x01}), Decoded);
  EXPECT_EQ(outcome(0x5F, {0xFF, 'x'}), UnknownId);  // fatal reports only in engineering mode
  EXPECT_EQ(app.Form_Message.Memo_Pad.Text().find("Application Fatal"), std::string::npos);
  app.state.EngineeringMode = true;
  EXPECT_EQ(outcome(0x5F, {0xFF, 'x'}), Decoded);
  EXPECT_EQ(outcome(0x5F, {0xFE}), Decoded);
  EXPECT_EQ(outcome(0x5F, {0x20}), UnknownId);
  EXPECT_NE(app.Form_Message.Memo_Pad.Text().find("Application Fatal Exception:"),
            std::string::npos);
}

TEST(Dispatcher, EveryPacketLightsRxIsRecordedAndSeenByTheResetTest) {
  TestRig rig;
  ASSERT_TRUE(rig.Start());
  Monitor& app = rig.app;
  const std::string path = testing::TestTempPath(".rxb");
  ASSERT_TRUE(app.recording.File.Create(path));
  app.recording.Active = true;

  // One report with a decoder and one without.
  const PacketBytes health{0x46, 0x10, 0x00};
  const PacketBytes unknown{0x99, 0x01};
  rig.port.ReceivePacket(health);
  rig.port.ReceivePacket(unknown);
  app.ReadAndDispatchReports();
  EXPECT_EQ(app.Form_Main.Shape_RxLED.BrushColor(), colours::kGreen);
  EXPECT_FALSE(app.resetTest.ResetTestPacketSeen);  // the test is not running

  app.resetTest.running = true;
  rig.port.ReceivePacket({0x4B, 0x00});
  app.ReadAndDispatchReports();
  EXPECT_TRUE(app.resetTest.ResetTestPacketSeen);

  // The recording holds all three, re-framed as on the wire.
  ASSERT_TRUE(app.recording.File.Close());
  const std::vector<uint8_t> recorded = testing::FileBytes(path);
  std::vector<uint8_t> expected = Frame(health);
  for (const auto& packet : {unknown, PacketBytes{0x4B, 0x00}}) {
    const auto frame = Frame(packet);
    expected.insert(expected.end(), frame.begin(), frame.end());
  }
  EXPECT_EQ(recorded, expected);
  app.recording.Active = false;
  std::remove(path.c_str());
}

// The receiver's texts are bytes of no known encoding. In the dump of the message log each byte
// that is not part of a well-formed UTF-8 character becomes U+FFFD; well-formed characters pass
// unchanged, and quotes and backslashes are escaped as before.
TEST(Dispatcher, AFatalTextThatIsNotUtf8IsDumpedAsValidUtf8) {
  TestRig rig;
  ASSERT_TRUE(rig.Start());
  rig.app.state.EngineeringMode = true;
  const std::string text =
      "Trap \xFF\xFE at \xC3\xA9"     // two stray bytes; e acute
      " \xE2\x82"                     // a character cut short
      " \xED\xA0\x80"                 // a surrogate
      " \xC0\xAF"                     // an overlong '/'
      " \xF4\x90\x80\x80"             // beyond U+10FFFF
      " \xF0\x9F\x9B\xB0 \"\\ \xBF";  // a satellite; a quote, a backslash; a lone continuation
  const std::string fatal = "\x5F\xFF" + text;
  rig.port.ReceivePacket(PacketBytes(fatal.begin(), fatal.end()));
  rig.app.ReadAndDispatchReports();

  const std::string r = "\xEF\xBF\xBD";  // U+FFFD
  const std::string expected = "Application Fatal Error:Trap " + r + r + " at \xC3\xA9 " + r + r +
                               " " + r + r + r + " " + r + r + " " + r + r + r + r +
                               " \xF0\x9F\x9B\xB0 \\\"\\\\ " + r + "\\r\\n";
  const std::string dump = FormJson(rig.app.Form_Message);
  EXPECT_NE(dump.find(expected), std::string::npos) << dump;
}

}  // namespace
}  // namespace zelkon
