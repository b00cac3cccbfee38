#include "core/dispatcher.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "model/inspect.h"
#include "support/temp_path.h"
#include "support/test_rig.h"

namespace zelkon {
namespace {

using testing::Frame;
using testing::PacketBytes;
using testing::TestRig;

Decoder Find(uint8_t id, std::vector<uint8_t> payload, bool engineering = false) {
  return FindDecoder(id, payload.data(), static_cast<int>(payload.size()), engineering);
}

TEST(Dispatcher, EveryReportIdGoesToItsDecoder) {
  const std::vector<std::pair<uint8_t, Decoder>> routes = {
      {0x40, DecodeAlmanac},
      {0x41, DecodeGpsTime},
      {0x42, DecodeEcefPositionSingle},
      {0x43, DecodeEcefVelocity},
      {0x45, DecodeSoftwareVersion},
      {0x46, DecodeHealth},
      {0x49, DecodeAlmanacHealth},
      {0x4B, DecodeIgnoredStatus},
      {0x4E, DecodeTimeAccepted},
      {0x4F, DecodeUtcParams},
      {0x55, DecodeIoOptions},
      {0x56, DecodeEnuVelocity},
      {0x5A, DecodeRawMeasurement},
      {0x5B, DecodeEphemerisStatus},
      {0x5C, DecodeTrackingStatus},
      {0x6D, DecodeSatelliteSelection},
      {0x7B, DecodeNmeaConfig},
      {0x83, DecodeEcefPositionDouble},
      {0x84, DecodeLlaPositionDouble},
      {0xBB, DecodeReceiverConfig},
      {0xBC, DecodePortConfig},
  };
  for (const auto& [id, decoder] : routes) {
    EXPECT_EQ(Find(id, {0x00, 0x01}), decoder) << std::hex << int{id};
  }
  // Every other id has no decoder, the command ids among them.
  int withDecoder = 0;
  for (int id = 0; id < 256; ++id) {
    if (id == 0x8F || id == 0x5F || id == 0x4A) continue;
    if (Find(static_cast<uint8_t>(id), {0x11, 0x00}, true) != nullptr) ++withDecoder;
  }
  EXPECT_EQ(withDecoder, static_cast<int>(routes.size()));
}

TEST(Dispatcher, SuperpacketsGoBySubCode) {
  const std::vector<std::pair<uint8_t, Decoder>> routes = {
      {0x0B, DecodeComprehensiveTime},
      {0x15, DecodeDatum},
      {0x41, DecodeManufacturingParams},
      {0x42, DecodeProductionParams},
      {0x4A, DecodePpsCharacteristics},
      {0x4B, DecodeSurveyLimit},
      {0x4D, DecodeAutoOutputMask},
      {0x4E, DecodePpsOutputOption},
      {0x4F, DecodePpsWidth},
      {0xA5, DecodeBroadcastMask},
      {0xA9, DecodeSelfSurveyParams},
      {0xAB, DecodeTimingPrimary},
      {0xAC, DecodeTimingSupplemental},
      {0xAD, DecodePrimaryUtcTime},
  };
  int withDecoder = 0;
  for (int sub = 0; sub < 256; ++sub) {
    if (Find(0x8F, {static_cast<uint8_t>(sub)}) != nullptr) ++withDecoder;
  }
  EXPECT_EQ(withDecoder, static_cast<int>(routes.size()));
  for (const auto& [sub, decoder] : routes) {
    EXPECT_EQ(Find(0x8F, {sub, 0x00}), decoder) << std::hex << int{sub};
  }
  EXPECT_EQ(Find(0x8F, {}), nullptr);  // no sub-code at all
}

TEST(Dispatcher, LlaReportGoesByLengthAndErrorReportsBySubCodeAndMode) {
  EXPECT_EQ(Find(0x4A, std::vector<uint8_t>(9)), DecodeReferenceAltitude);
  EXPECT_EQ(Find(0x4A, std::vector<uint8_t>(20)), DecodeLlaPositionSingle);
  EXPECT_EQ(Find(0x4A, std::vector<uint8_t>(8)), DecodeLlaPositionSingle);

  EXPECT_EQ(Find(0x5F, {0x11, 0x08, 0x01}), DecodeSegmentStatus);
  EXPECT_EQ(Find(0x5F, {0x11, 0x08, 0x01}, true), DecodeSegmentStatus);
  EXPECT_EQ(Find(0x5F, {0xFF, 'x'}), nullptr);
  EXPECT_EQ(Find(0x5F, {0xFF, 'x'}, true), DecodeFatalReport);
  EXPECT_EQ(Find(0x5F, {0x20}, true), DecodeFatalReport);  // the decoder picks its sub-codes
  EXPECT_EQ(Find(0x5F, {}, true), nullptr);
}

TEST(Dispatcher, EveryPacketLightsRxIsRecordedAndSeenByTheResetTest) {
  TestRig rig;
  ASSERT_TRUE(rig.Start());
  Monitor& app = rig.app;
  const std::string path = testing::TestTempPath(".rxb");
  ASSERT_TRUE(app.state.RecordingFile.Create(path));
  app.state.RecordingActive = true;

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
  ASSERT_TRUE(app.state.RecordingFile.Close());
  const std::vector<uint8_t> recorded = testing::FileBytes(path);
  std::vector<uint8_t> expected = Frame(health);
  for (const auto& packet : {unknown, PacketBytes{0x4B, 0x00}}) {
    const auto frame = Frame(packet);
    expected.insert(expected.end(), frame.begin(), frame.end());
  }
  EXPECT_EQ(recorded, expected);
  app.state.RecordingActive = false;
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
