// The configuration read-back parsers against the receiver emulator: the emulator builds each
// report with its own encoder from its configuration, changed here from the factory values so that
// no field can pass by holding a default, and the parsed fields must give that configuration back.
#include "reports/config.h"

#include <gtest/gtest.h>

#include <string>

#include "reports/diagnostic.h"
#include "sim/receiver.h"
#include "sim/reports.h"
#include "sim/sim_harness.h"
#include "sim/sim_options.h"
#include "support/report_fields.h"

namespace zelkon {
namespace {

using testing::DefaultStartGps;
using testing::ExpectExactLengthOnly;
using testing::FieldNumber;
using testing::FieldText;
using testing::PacketJson;
using testing::ParsePacket;

// An emulated receiver whose every read-back setting differs from the factory value.
struct Reconfigured {
  Reconfigured() : receiver(sim::SimOptions{}, DefaultStartGps()) {
    sim::Configuration& c = receiver.config;
    c.receiver = {3, 1, 2, 0.2617994f, 6.5f, 9.25f, 5.5f, 44};
    c.io.ioOptions[0] = 0x13;
    c.io.ioOptions[1] = 0x01;
    c.io.ioOptions[2] = 0x1F;
    c.io.ioOptions[3] = 0x0B;
    c.io.broadcastMask1 = 0x31;
    c.io.broadcastMask2 = 0xE1;
    c.io.autoOutputMask = 0xC0000913;
    c.io.datum = 179;
    c.ports.a = {0, 11, 2, 2, 1, 0, 4};
    c.ports.b = {1, 6, 3, 1, 1, 2, 4};
    c.timing = {0, 1, 1, -2.5e-7, 12.75f, 0x84, 2e-3};
    c.survey = {0, 1, 0xFFFFFFF0};
    c.nmea = {5, 0x101};
  }
  sim::Receiver receiver;
};

TEST(ConfigReports, EachParserGivesTheEmulatorsSettingsBack) {
  const Reconfigured e;
  const sim::Configuration& c = e.receiver.config;

  const auto io = ParsePacket<ParseIoOptions>(sim::IoOptionsReport(e.receiver));
  ASSERT_TRUE(io);
  EXPECT_EQ(io->position, 0x13);
  EXPECT_EQ(io->velocity, 0x01);
  EXPECT_EQ(io->timing, 0x1F);
  EXPECT_EQ(io->auxiliary, 0x0B);

  const auto nmea = ParsePacket<ParseNmeaConfig>(sim::NmeaConfigReport(e.receiver));
  ASSERT_TRUE(nmea);
  EXPECT_EQ(nmea->intervalSeconds, 5);
  EXPECT_EQ(nmea->sentenceMask, 0x101u);

  const auto rx = ParsePacket<ParseReceiverConfig>(sim::ReceiverConfigReport(e.receiver));
  ASSERT_TRUE(rx);
  EXPECT_EQ(rx->receiverMode, 3);
  EXPECT_EQ(rx->dgpsMode, 1);
  EXPECT_EQ(rx->dynamicsCode, 2);
  EXPECT_EQ(rx->elevationMaskRad, c.receiver.elevationMask);
  EXPECT_EQ(rx->signalLevelMask, 6.5f);
  EXPECT_EQ(rx->pdopMask, 9.25f);
  EXPECT_EQ(rx->pdopSwitch, 5.5f);
  EXPECT_EQ(rx->dgpsAgeLimit, 44);

  for (const int port : {0, 1}) {
    const auto s = ParsePacket<ParsePortConfig>(sim::PortConfigReport(e.receiver, port));
    ASSERT_TRUE(s);
    EXPECT_EQ(*s, port == 0 ? c.ports.a : c.ports.b);
  }

  const auto datum = ParsePacket<ParseDatumIndex>(sim::DatumReport(e.receiver));
  ASSERT_TRUE(datum);
  EXPECT_EQ(datum->index, 179);

  const auto pps = ParsePacket<ParsePpsCharacteristics>(sim::PpsCharacteristicsReport(e.receiver));
  ASSERT_TRUE(pps);
  EXPECT_EQ(pps->driverSwitch, 0);
  EXPECT_EQ(pps->timeBase, 1);
  EXPECT_EQ(pps->polarity, 1);
  EXPECT_EQ(pps->offsetSeconds, -2.5e-7);
  EXPECT_EQ(pps->biasThresholdMetres, 12.75f);

  EXPECT_EQ(ParsePacket<ParseSurveyLimit>(sim::SurveyLimitReport(e.receiver))->limit, 0xFFFFFFF0u);
  EXPECT_EQ(ParsePacket<ParseAutoOutputMask>(sim::AutoOutputMaskReport(e.receiver))->mask,
            0xC0000913u);
  EXPECT_EQ(ParsePacket<ParsePpsOutputOption>(sim::PpsOutputOptionReport(e.receiver))->option,
            0x84);
  EXPECT_EQ(ParsePacket<ParsePpsWidth>(sim::PpsWidthReport(e.receiver))->widthSeconds, 2e-3);

  const auto masks = ParsePacket<ParseBroadcastMask>(sim::BroadcastMaskReport(e.receiver));
  ASSERT_TRUE(masks);
  EXPECT_EQ(masks->mask1, 0x31);
  EXPECT_EQ(masks->mask2, 0xE1);

  const auto survey = ParsePacket<ParseSelfSurveyParams>(sim::SelfSurveyParamsReport(e.receiver));
  ASSERT_TRUE(survey);
  EXPECT_EQ(survey->enable, 0);
  EXPECT_EQ(survey->save, 1);
  EXPECT_EQ(survey->limit, 0xFFFFFFF0u);
}

TEST(ConfigReports, EachIsAcceptedAtItsExactLengthOnly) {
  const Reconfigured e;
  const sim::Receiver& r = e.receiver;
  ExpectExactLengthOnly<ParseIoOptions>(sim::IoOptionsReport(r));
  ExpectExactLengthOnly<ParseNmeaConfig>(sim::NmeaConfigReport(r));
  ExpectExactLengthOnly<ParseReceiverConfig>(sim::ReceiverConfigReport(r));
  ExpectExactLengthOnly<ParsePortConfig>(sim::PortConfigReport(r, 1));
  ExpectExactLengthOnly<ParseDatumIndex>(sim::DatumReport(r));
  ExpectExactLengthOnly<ParsePpsCharacteristics>(sim::PpsCharacteristicsReport(r));
  ExpectExactLengthOnly<ParseSurveyLimit>(sim::SurveyLimitReport(r));
  ExpectExactLengthOnly<ParseAutoOutputMask>(sim::AutoOutputMaskReport(r));
  ExpectExactLengthOnly<ParsePpsOutputOption>(sim::PpsOutputOptionReport(r));
  ExpectExactLengthOnly<ParsePpsWidth>(sim::PpsWidthReport(r));
  ExpectExactLengthOnly<ParseBroadcastMask>(sim::BroadcastMaskReport(r));
  ExpectExactLengthOnly<ParseSelfSurveyParams>(sim::SelfSurveyParamsReport(r));
}

// The decode tool names each report and writes its fields, the elevation mask in exact degrees.
TEST(ConfigReports, TheirJsonNamesTheReportAndItsFields) {
  const Reconfigured e;
  const std::string rx = PacketJson(sim::ReceiverConfigReport(e.receiver));
  EXPECT_EQ(FieldText(rx, "report"), "\"receiverConfig\"") << rx;
  EXPECT_NEAR(FieldNumber(rx, "elevationMaskDeg"), 15.0, 1e-5) << rx;
  EXPECT_EQ(FieldText(rx, "dgpsAgeLimitS"), "44") << rx;

  const std::string option = PacketJson(sim::PpsOutputOptionReport(e.receiver));
  EXPECT_EQ(FieldText(option, "report"), "\"ppsOutputOption\"") << option;
  EXPECT_EQ(FieldText(option, "subcode"), "78") << option;
  EXPECT_EQ(FieldText(option, "evenSecondOnly"), "true") << option;

  const std::string port = PacketJson(sim::PortConfigReport(e.receiver, 0));
  EXPECT_EQ(FieldText(port, "report"), "\"portConfig\"") << port;
  EXPECT_EQ(FieldText(port, "outputProtocol"), "4") << port;

  const std::string survey = PacketJson(sim::SelfSurveyParamsReport(e.receiver));
  EXPECT_EQ(FieldText(survey, "limit"), "4294967280") << survey;
}

// The segment status: the word of the segments the emulator found corrupted at power-on.
TEST(ConfigReports, TheSegmentStatusGivesTheCorruptedSegmentsBack) {
  sim::SimOptions options;
  options.corruptSegments = 0x0914;
  const sim::Receiver receiver(options, DefaultStartGps());
  const sim::Packet packet = sim::SegmentStatusReport(receiver);
  const auto status = ParsePacket<ParseSegmentStatus>(packet);
  ASSERT_TRUE(status);
  EXPECT_EQ(status->status, 0x0914);
  ExpectExactLengthOnly<ParseSegmentStatus>(packet);
  const std::string json = PacketJson(packet);
  EXPECT_EQ(FieldText(json, "report"), "\"segmentStatus\"") << json;
  EXPECT_EQ(FieldText(json, "segmentStatus"), "2324") << json;
}

}  // namespace
}  // namespace zelkon
