#include "commands/commands.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace zelkon {
namespace {

using Bytes = std::vector<uint8_t>;

class RecordingSender : public CommandSender {
 public:
  void SendCommand(std::span<const uint8_t> packet) override {
    packets.emplace_back(packet.begin(), packet.end());
  }
  std::vector<Bytes> packets;
};

// "8E 4A 01" -> {0x8E, 0x4A, 0x01}.
Bytes Hex(const std::string& text) {
  Bytes bytes;
  std::istringstream in(text);
  std::string token;
  while (in >> token) {
    size_t used = 0;
    const unsigned long value = std::stoul(token, &used, 16);
    EXPECT_TRUE(used == token.size() && value <= 0xFF) << "bad hex byte '" << token << "'";
    bytes.push_back(static_cast<uint8_t>(value));
  }
  return bytes;
}

std::string ToHex(const Bytes& bytes) {
  std::string text;
  char hex[4];
  for (uint8_t b : bytes) {
    std::snprintf(hex, sizeof hex, "%02X ", b);
    text += hex;
  }
  return text;
}

struct Case {
  const char* name;
  std::function<void(CommandSender&)> send;
  const char* expected;  // id and payload, hex
};

// Each case must send exactly one packet holding exactly the expected bytes.
void ExpectPackets(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingSender sender;
    c.send(sender);
    ASSERT_EQ(sender.packets.size(), 1u);
    EXPECT_EQ(sender.packets[0], Hex(c.expected)) << "sent " << ToHex(sender.packets[0]);
  }
}

TEST(CommandsTest, Queries) {
  ExpectPackets({
      {"0x1F is the id alone", SendSoftwareVersionQuery, "1F"},
      {"0x20", [](CommandSender& o) { SendAlmanacQuery(o, 7); }, "20 07"},
      {"0x21", SendTimeQuery, "21"},
      {"0x24", SendSatelliteSelectionQuery, "24"},
      {"0x26", SendHealthQuery, "26"},
      {"0x29", SendAlmanacHealthQuery, "29"},
      {"0x2A query", SendAltitudeQuery, "2A"},
      {"0x2F", SendUtcParamsQuery, "2F"},
      {"0x35 query", SendIoOptionsQuery, "35"},
      {"0x3A", [](CommandSender& o) { SendRawMeasurementQuery(o, 12); }, "3A 0C"},
      {"0x3B", [](CommandSender& o) { SendEphemerisStatusQuery(o, 32); }, "3B 20"},
      {"0x3C", SendTrackingStatusQuery, "3C 00"},
      {"0x3F-11", SendSegmentStatusQuery, "3F 11"},
      {"0x7A query", SendNmeaQuery, "7A 00"},
      {"0xBB query", SendReceiverConfigQuery, "BB 00"},
      {"0xBC port A", [](CommandSender& o) { SendPortConfigQuery(o, 0); }, "BC 00"},
      {"0xBC port B", [](CommandSender& o) { SendPortConfigQuery(o, 1); }, "BC 01"},
      {"0x8E-0B", SendComprehensiveTimeQuery, "8E 0B"},
      {"0x8E-15", SendDatumQuery, "8E 15"},
      {"0x8E-41", SendManufacturingParamsQuery, "8E 41"},
      {"0x8E-42", SendProductionParamsQuery, "8E 42"},
      {"0x8E-4A", SendPpsCharacteristicsQuery, "8E 4A"},
      {"0x8E-4B", SendSurveyLimitQuery, "8E 4B"},
      {"0x8E-4D", SendAutoOutputMaskQuery, "8E 4D"},
      {"0x8E-4E", SendPpsOutputOptionQuery, "8E 4E"},
      {"0x8E-4F", SendPpsWidthQuery, "8E 4F"},
      {"0x8E-A5", SendBroadcastMaskQuery, "8E A5"},
      {"0x8E-A9", SendSelfSurveyParamsQuery, "8E A9"},
      {"0x8E-AB", SendTimingPacketsQuery, "8E AB 02"},
      {"0x8E-AD", SendPrimaryUtcTimeQuery, "8E AD"},
  });
}

TEST(CommandsTest, ResetsAndActions) {
  ExpectPackets({
      {"cold", [](CommandSender& o) { SendReset(o, ResetCode::Cold); }, "1E 4B"},
      {"factory all", [](CommandSender& o) { SendReset(o, ResetCode::FactoryAll); }, "1E 46"},
      {"factory nav", [](CommandSender& o) { SendReset(o, ResetCode::FactoryNavigation); },
       "1E 4E"},
      {"factory config", [](CommandSender& o) { SendReset(o, ResetCode::FactoryConfig); }, "1E 52"},
      {"warm", SendWarmReset, "25"},
      {"save segments", SendSaveSegments, "8E 26"},
      {"revert one", [](CommandSender& o) { SendRevertSegment(o, 5); }, "8E 45 05"},
      {"revert all", [](CommandSender& o) { SendRevertSegment(o, kAllSegments); }, "8E 45 FF"},
      {"restart survey", SendRestartSelfSurvey, "8E A6 00"},
      {"SI code 6", [](CommandSender& o) { SendSiCode(o, 6); }, "8E AF 06"},
      {"SI code 9", [](CommandSender& o) { SendSiCode(o, 9); }, "8E AF 09"},
      {"product type 4", [](CommandSender& o) { SendProductType(o, 4); }, "8E 0C 02 00 00 00 04"},
      {"product type order", [](CommandSender& o) { SendProductType(o, 0x01020304); },
       "8E 0C 02 01 02 03 04"},
      {"exit test mode", SendExitTestMode, "8E A4 00"},
  });
}

TEST(CommandsTest, PositionTimeAndSatelliteSettings) {
  ExpectPackets({
      {"altitude 1500", [](CommandSender& o) { SendAltitude(o, 1500.0f); }, "2A 44 BB 80 00"},
      {"altitude -2", [](CommandSender& o) { SendAltitude(o, -2.0f); }, "2A C0 00 00 00"},
      {"cancel altitude", SendCancelAltitude, "2A FF"},
      {"initial time", [](CommandSender& o) { SendInitialTime(o, 86390.0f, 950); },
       "2E 47 A8 BB 00 03 B6"},
      {"ECEF", [](CommandSender& o) { SendEcefPosition(o, -2700000.0f, 1.5f, 312.75f); },
       "31 CA 24 CB 80 3F C0 00 00 43 9C 60 00"},
      {"LLA", [](CommandSender& o) { SendLlaPosition(o, 0.1f, -0.25f, 312.75f); },
       "32 3D CC CC CD BE 80 00 00 43 9C 60 00"},
      {"one satellite, receiver's choice", [](CommandSender& o) { SendOneSatellite(o, 0); },
       "34 00"},
      {"one satellite 17", [](CommandSender& o) { SendOneSatellite(o, 17); }, "34 11"},
      {"datum WGS-84", [](CommandSender& o) { SendDatum(o, 0); }, "8E 15 00 00"},
      {"datum 13", [](CommandSender& o) { SendDatum(o, 13); }, "8E 15 00 0D"},
      {"datum high byte", [](CommandSender& o) { SendDatum(o, 0x1234); }, "8E 15 12 34"},
  });
}

TEST(CommandsTest, OutputMaskAndOptionSettings) {
  ExpectPackets({
      {"I/O options",
       [](CommandSender& o) {
         SendIoOptions(o, {0x13, 0x02, 0x01, 0x01});
       },
       "35 13 02 01 01"},
      {"I/O options order",
       [](CommandSender& o) {
         SendIoOptions(o, {0x21, 0x02, 0x14, 0x08});
       },
       "35 21 02 14 08"},
      {"NMEA GGA ZDA RMC", [](CommandSender& o) { SendNmeaSettings(o, 1, 0x121); },
       "7A 00 01 00 00 01 21"},
      {"NMEA 10 s", [](CommandSender& o) { SendNmeaSettings(o, 10, 1); }, "7A 00 0A 00 00 00 01"},
      {"auto output 41 and 5A", [](CommandSender& o) { SendAutoOutputMask(o, 0x80000100); },
       "8E 4D 80 00 01 00"},
      {"survey limit 86400", [](CommandSender& o) { SendSurveyLimit(o, 86400); },
       "8E 4B 00 01 51 80"},
      {"port A output 0x8F-0B at PPS", [](CommandSender& o) { SendOutputOption(o, 0x0B, 1); },
       "8E 0B 01"},
      {"port A output 0x8F-AD on request", [](CommandSender& o) { SendOutputOption(o, 0xAD, 0); },
       "8E AD 00"},
      {"broadcast mask", [](CommandSender& o) { SendBroadcastMask(o, 0x02, 0x80); },
       "8E A5 02 80 00 00"},
      {"packets on", [](CommandSender& o) { SendBroadcastMask(o, 0x32, 0xE1); },
       "8E A5 32 E1 00 00"},
      {"self-survey 2000", [](CommandSender& o) { SendSelfSurveyParams(o, 1, 1, 2000); },
       "8E A9 01 01 00 00 07 D0 00 00 00 00"},
      {"self-survey order", [](CommandSender& o) { SendSelfSurveyParams(o, 1, 0, 0x0A0B0C0D); },
       "8E A9 01 00 0A 0B 0C 0D 00 00 00 00"},
  });
}

TEST(CommandsTest, PpsSettingsCarryDoublesMostSignificantByteFirst) {
  ExpectPackets({
      {"PPS characteristics",
       [](CommandSender& o) { SendPpsCharacteristics(o, 1, 1, 0, 1.0, 2.5f); },
       "8E 4A 01 01 00 3F F0 00 00 00 00 00 00 40 20 00 00"},
      {"PPS characteristics negative offset",
       [](CommandSender& o) { SendPpsCharacteristics(o, 0, 0, 1, -0.5e-6, 6.0f); },
       "8E 4A 00 00 01 BE A0 C6 F7 A0 B5 ED 8D 40 C0 00 00"},
      {"PPS output always", [](CommandSender& o) { SendPpsOutputOption(o, 2); }, "8E 4E 02"},
      {"PPS output even seconds", [](CommandSender& o) { SendPpsOutputOption(o, 0x84); },
       "8E 4E 84"},
      {"PPS width 1 s", [](CommandSender& o) { SendPpsWidth(o, 1.0); },
       "8E 4F 3F F0 00 00 00 00 00 00"},
      {"PPS width 20 us", [](CommandSender& o) { SendPpsWidth(o, 20e-6); },
       "8E 4F 3E F4 F8 B5 88 E3 68 F1"},
  });
}

TEST(CommandsTest, TestModeForms) {
  TestUtcParams initial;  // the test window's initial texts
  initial.wnLsf = 950;
  initial.dn = 1;
  initial.deltaTls = 9;
  initial.deltaTlsf = 10;
  TestUtcParams varied;
  varied.a0 = 1.5e-7f;
  varied.a1 = -2.0f;
  varied.deltaTls = -3;
  varied.tot = 0x00093A80;
  varied.wnT = 0x0102;
  varied.wnLsf = 0x0304;
  varied.dn = 7;
  varied.deltaTlsf = -300;
  ExpectPackets({
      {"user time", [](CommandSender& o) { SendUserTime(o, 950, 86390); },
       "8E A4 01 03 B6 00 01 51 76"},
      {"UTC params, initial", [&](CommandSender& o) { SendTestUtcParams(o, initial); },
       "8E A4 03 00 00 00 00 00 00 00 00 00 09 00 00 00 00 00 00 03 B6 00 01 00 0A"},
      {"UTC params, negative and distinct", [&](CommandSender& o) { SendTestUtcParams(o, varied); },
       "8E A4 03 34 21 0F B0 C0 00 00 00 FF FD 00 09 3A 80 01 02 03 04 00 07 FE D4"},
      {"exit", SendExitTestMode, "8E A4 00"},
  });
}

TEST(CommandsTest, ReceiverConfigForm) {
  ReceiverConfig config;
  config.receiverMode = 7;
  config.dgpsMode = 3;
  config.dynamicsCode = 4;
  config.elevationMaskRad = static_cast<float>(90 * 3.14159 / 180);
  config.signalLevelMask = 6.0f;
  config.pdopMask = 12.0f;
  config.pdopSwitch = 8.0f;
  config.dgpsAgeLimit = 30;
  // Every U8 field 0xFF and every SINGLE negative: the constant bytes must not move.
  ReceiverConfig extreme;
  extreme.receiverMode = extreme.dgpsMode = extreme.dynamicsCode = extreme.dgpsAgeLimit = -1;
  extreme.elevationMaskRad = extreme.signalLevelMask = extreme.pdopMask = extreme.pdopSwitch =
      -2.0f;
  std::string ones;
  for (int i = 0; i < 16; ++i)
    ones += " FF";
  // The elevation mask is the SINGLE nearest 1.5707950592 (3F C9 0F D0), not pi/2 (3F C9 0F DB).
  const std::string expectedConfig =
      "BB 00 07 03 04 01 3F C9 0F D0 40 C0 00 00 41 40 00 00 41 00 00 00 1E 00 00 00 00 00" + ones;
  const std::string expectedExtreme =
      "BB 00 FF FF FF 01 C0 00 00 00 C0 00 00 00 C0 00 00 00 C0 00 00 00 FF 00 00 00 00 00" + ones;
  ExpectPackets({
      {"typical", [&](CommandSender& o) { SendReceiverConfig(o, config); }, expectedConfig.c_str()},
      {"extreme", [&](CommandSender& o) { SendReceiverConfig(o, extreme); },
       expectedExtreme.c_str()},
  });
}

TEST(CommandsTest, PortSettingsForm) {
  ExpectPackets({
      {"port A 9600 8-Odd-1 RXBIN",
       [](CommandSender& o) {
         SendPortSettings(o, {0, 7, 3, 1, 0, 2, 2});
       },
       "BC 00 07 07 03 01 00 00 02 02 00"},
      {"port B 115200 8-None-2 NMEA out",
       [](CommandSender& o) {
         SendPortSettings(o, {1, 11, 3, 0, 1, 2, 4});
       },
       "BC 01 0B 0B 03 00 01 00 02 04 00"},
      {"baud none",
       [](CommandSender& o) {
         SendPortSettings(o, {0, 0, 3, 1, 0, 2, 2});
       },
       "BC 00 00 00 03 01 00 00 02 02 00"},
      {"all fields distinct",
       [](CommandSender& o) {
         SendPortSettings(o, {1, 9, 2, 2, 1, 8, 6});
       },
       "BC 01 09 09 02 02 01 00 08 06 00"},
  });
}

TEST(CommandsTest, ValuesAreCutToFieldWidth) {
  ExpectPackets({
      {"0x34 300", [](CommandSender& o) { SendOneSatellite(o, 300); }, "34 2C"},
      {"0x20 0x1A0", [](CommandSender& o) { SendAlmanacQuery(o, 0x1A0); }, "20 A0"},
      {"0x8E-45 261", [](CommandSender& o) { SendRevertSegment(o, 261); }, "8E 45 05"},
      {"0x8E-15 0x12345", [](CommandSender& o) { SendDatum(o, 0x12345); }, "8E 15 23 45"},
      {"0x2E week 66486", [](CommandSender& o) { SendInitialTime(o, 86390.0f, 65536 + 950); },
       "2E 47 A8 BB 00 03 B6"},
      {"0x7A interval 257", [](CommandSender& o) { SendNmeaSettings(o, 257, 1); },
       "7A 00 01 00 00 00 01"},
      {"0x8E-A4 week -1", [](CommandSender& o) { SendUserTime(o, -1, 0); },
       "8E A4 01 FF FF 00 00 00 00"},
      {"0x8E-4A switches 256+1",
       [](CommandSender& o) { SendPpsCharacteristics(o, 257, 258, 259, 2.0, 1.5f); },
       "8E 4A 01 02 03 40 00 00 00 00 00 00 00 3F C0 00 00"},
  });
}

TEST(CommandsTest, SystemDataForms) {
  const uint8_t block[] = {0xAA, 0xBB, 0xCC, 0xDD};
  ExpectPackets({
      {"request almanac SV 17", [](CommandSender& o) { SendSystemDataRequest(o, 2, 17); },
       "38 01 02 11"},
      {"request UTC", [](CommandSender& o) { SendSystemDataRequest(o, 5, 0); }, "38 01 05 00"},
      {"load three of four bytes",
       [&](CommandSender& o) { SendSystemDataLoad(o, 2, 3, std::span(block).first(3)); },
       "38 02 02 03 03 AA BB CC"},
      {"load empty block", [](CommandSender& o) { SendSystemDataLoad(o, 4, 0, {}); },
       "38 02 04 00 00"},
  });
}

TEST(CommandsTest, SystemDataLoadCarriesUpTo255BytesAndRefusesMore) {
  std::vector<uint8_t> data(300);
  for (size_t i = 0; i < data.size(); ++i)
    data[i] = static_cast<uint8_t>(i * 7 + 1);

  RecordingSender sender;
  const std::span<const uint8_t> all(data);
  SendSystemDataLoad(sender, 1, 32, all.first(255));
  ASSERT_EQ(sender.packets.size(), 1u);
  Bytes expected = {0x38, 0x02, 0x01, 0x20, 0xFF};
  expected.insert(expected.end(), data.begin(), data.begin() + 255);
  EXPECT_EQ(sender.packets[0], expected);

  SendSystemDataLoad(sender, 1, 32, all.first(256));
  SendSystemDataLoad(sender, 1, 32, all);
  EXPECT_EQ(sender.packets.size(), 1u);
}

}  // namespace
}  // namespace zelkon
