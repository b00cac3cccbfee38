// The product parsers against the receiver emulator: the emulator builds each report with its own
// encoder from its identity (model, seed, premium options, version form), and the parsed fields
// must give that identity back.
#include "reports/product.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "reports/report_types.h"
#include "sim/gps_time.h"
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

// An emulated receiver of a given model and seed, answering with the short or long version.
struct Emulated {
  Emulated(sim::Model model, uint64_t seed, bool longVersion = false)
      : options([&] {
          sim::SimOptions o;
          o.model = model;
          o.seed = seed;
          o.longVersion = longVersion;
          return o;
        }()),
        receiver(options, DefaultStartGps()) {}

  sim::SimOptions options;
  sim::Receiver receiver;
};

// The emulator's serial numbers: a base of its own plus the seed.
uint32_t SerialOf(const Emulated& e, uint32_t base) {
  return base + static_cast<uint32_t>(e.options.seed % 900000);
}

// ---- 0x45 ----------------------------------------------------------------------------------

// The emulator's firmware: application 3.07 of 12 June 2024, signal processor 2.11 of 1 March
// 2023; the long form adds build 42 at 13:04:09.
void ExpectEmulatorVersions(const SoftwareVersion& v) {
  EXPECT_EQ(v.applicationMajor, 3);
  EXPECT_EQ(v.applicationMinor, 7);
  EXPECT_EQ(v.applicationMonth, 6);
  EXPECT_EQ(v.applicationDay, 12);
  EXPECT_EQ(v.applicationYear, 2024 - 1900);
  EXPECT_EQ(v.signalProcessorMajor, 2);
  EXPECT_EQ(v.signalProcessorMinor, 11);
  EXPECT_EQ(v.signalProcessorMonth, 3);
  EXPECT_EQ(v.signalProcessorDay, 1);
  EXPECT_EQ(v.signalProcessorYear, 2023 - 1900);
}

TEST(ProductReportParsers, SoftwareVersionInBothFormsEachWithItsOwnParser) {
  const Emulated shortForm(sim::Model::T2K, 3);
  const Emulated longForm(sim::Model::T2K, 3, true);
  const sim::Packet shortPacket = sim::SoftwareVersionReport(shortForm.receiver);
  const sim::Packet longPacket = sim::SoftwareVersionReport(longForm.receiver);

  const auto version = ParsePacket<ParseSoftwareVersion>(shortPacket);
  ASSERT_TRUE(version);
  ExpectEmulatorVersions(*version);
  EXPECT_FALSE(ParsePacket<ParseSoftwareVersionLong>(shortPacket));

  const auto versionLong = ParsePacket<ParseSoftwareVersionLong>(longPacket);
  ASSERT_TRUE(versionLong);
  ExpectEmulatorVersions(versionLong->version);
  EXPECT_EQ(versionLong->buildNumber, 42);
  EXPECT_EQ(versionLong->buildHours, 13);
  EXPECT_EQ(versionLong->buildMinutes, 4);
  EXPECT_EQ(versionLong->buildSeconds, 9);
  EXPECT_FALSE(ParsePacket<ParseSoftwareVersion>(longPacket));

  // One id, two report types told apart by the length.
  const ReportType* byLength[] = {
      FindReport(0x45, shortPacket.payload).type,
      FindReport(0x45, longPacket.payload).type,
  };
  ASSERT_TRUE(byLength[0] && byLength[1]);
  EXPECT_STREQ(byLength[0]->name, "softwareVersion");
  EXPECT_STREQ(byLength[1]->name, "softwareVersionLong");
}

// ---- 0x8F-41, 0x8F-42 ----------------------------------------------------------------------

TEST(ProductReportParsers, ManufacturingParamsCarryTheBoardSerialAndBuild) {
  for (const uint64_t seed : {uint64_t{1}, uint64_t{654321}}) {
    const Emulated e(sim::Model::Harvane, seed);
    const auto r =
        ParsePacket<ParseManufacturingParams>(sim::ManufacturingParamsReport(e.receiver));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->serialPrefix, 45);
    EXPECT_EQ(r->boardSerialNumber, SerialOf(e, 1200000)) << "seed " << seed;
    // Built 18 March 2024 at 14 h.
    EXPECT_EQ(r->buildYear, 24);
    EXPECT_EQ(r->FullBuildYear(), 2024);
    EXPECT_EQ(r->buildMonth, 3);
    EXPECT_EQ(r->buildDay, 18);
    EXPECT_EQ(r->buildHour, 14);
    EXPECT_EQ(r->oscillatorOffset, -0.57f);
    EXPECT_EQ(r->testCode, 1);
  }
}

TEST(ProductReportParsers, ProductionParamsCarryTheModelsMachineIdAndPremiumOptions) {
  struct Case {
    sim::Model model;
    int machineId;
  };
  for (const Case c :
       {Case{sim::Model::T2K, 60}, Case{sim::Model::Netrel, 60}, Case{sim::Model::Harvane, 60},
        Case{sim::Model::Tpv2, 60}, Case{sim::Model::Varnel, 91}, Case{sim::Model::Id98, 98}}) {
    Emulated e(c.model, 777);
    SCOPED_TRACE(::testing::Message() << "model " << static_cast<int>(c.model));
    const auto r = ParsePacket<ParseProductionParams>(sim::ProductionParamsReport(e.receiver));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->premiumOptions, e.receiver.premiumOptions);
    EXPECT_EQ(r->machineId, c.machineId);
    EXPECT_EQ(r->optionsPrefix, 1);
    EXPECT_EQ(r->numberExtension, 0);
    EXPECT_EQ(r->serialPrefix, 45);
    EXPECT_EQ(r->caseSerialNumber, SerialOf(e, 3300000));
    EXPECT_EQ(r->productionNumber, 66150u);
  }

  // Premium options set later (as a command would) come back whole, all sixteen bits.
  Emulated e(sim::Model::T2K, 5);
  e.receiver.premiumOptions = 0x8005;
  const auto r = ParsePacket<ParseProductionParams>(sim::ProductionParamsReport(e.receiver));
  ASSERT_TRUE(r);
  EXPECT_EQ(r->premiumOptions, 0x8005);
}

// ---- JSON and lengths ----------------------------------------------------------------------

TEST(ProductReportParsers, JsonNamesEachReportAndGivesFullYears) {
  const Emulated shortForm(sim::Model::Varnel, 8);
  const Emulated longForm(sim::Model::Varnel, 8, true);

  const std::string version = PacketJson(sim::SoftwareVersionReport(shortForm.receiver));
  EXPECT_EQ(FieldText(version, "report"), "\"softwareVersion\"");
  EXPECT_EQ(FieldNumber(version, "applicationMajor"), 3);
  EXPECT_EQ(FieldNumber(version, "applicationMinor"), 7);
  EXPECT_EQ(FieldNumber(version, "applicationYear"), 2024);
  EXPECT_EQ(FieldNumber(version, "signalProcessorYear"), 2023);
  EXPECT_EQ(FieldText(version, "buildNumber"), "");

  const std::string versionLong = PacketJson(sim::SoftwareVersionReport(longForm.receiver));
  EXPECT_EQ(FieldText(versionLong, "report"), "\"softwareVersionLong\"");
  EXPECT_EQ(FieldNumber(versionLong, "length"), 96);
  EXPECT_EQ(FieldNumber(versionLong, "applicationYear"), 2024);
  EXPECT_EQ(FieldNumber(versionLong, "signalProcessorMinor"), 11);
  EXPECT_EQ(FieldNumber(versionLong, "buildNumber"), 42);
  EXPECT_EQ(FieldNumber(versionLong, "buildHours"), 13);
  EXPECT_EQ(FieldNumber(versionLong, "buildSeconds"), 9);

  sim::Packet manufacturingPacket = sim::ManufacturingParamsReport(shortForm.receiver);
  const std::string manufacturing = PacketJson(manufacturingPacket);
  EXPECT_EQ(FieldText(manufacturing, "report"), "\"manufacturingParams\"");
  EXPECT_EQ(FieldNumber(manufacturing, "subcode"), 0x41);
  EXPECT_EQ(FieldNumber(manufacturing, "boardSerialNumber"), SerialOf(shortForm, 1200000));
  EXPECT_EQ(FieldNumber(manufacturing, "buildYear"), 2024);
  EXPECT_EQ(static_cast<float>(FieldNumber(manufacturing, "oscillatorOffset")), -0.57f);
  // The two-digit build years from 80 are the 1900s.
  manufacturingPacket.payload[7] = 80;
  EXPECT_EQ(FieldNumber(PacketJson(manufacturingPacket), "buildYear"), 1980);
  manufacturingPacket.payload[7] = 79;
  EXPECT_EQ(FieldNumber(PacketJson(manufacturingPacket), "buildYear"), 2079);

  const std::string production = PacketJson(sim::ProductionParamsReport(shortForm.receiver));
  EXPECT_EQ(FieldText(production, "report"), "\"productionParams\"");
  EXPECT_EQ(FieldNumber(production, "subcode"), 0x42);
  EXPECT_EQ(FieldNumber(production, "machineId"), 91);
  EXPECT_EQ(FieldNumber(production, "premiumOptions"), shortForm.receiver.premiumOptions);
  EXPECT_EQ(FieldNumber(production, "caseSerialNumber"), SerialOf(shortForm, 3300000));
}

TEST(ProductReportParsers, OtherLengthsAndSubCodesDoNotParse) {
  const Emulated shortForm(sim::Model::T2K, 2);
  const Emulated longForm(sim::Model::T2K, 2, true);
  ExpectExactLengthOnly<ParseSoftwareVersion>(sim::SoftwareVersionReport(shortForm.receiver));
  ExpectExactLengthOnly<ParseSoftwareVersionLong>(sim::SoftwareVersionReport(longForm.receiver));
  ExpectExactLengthOnly<ParseManufacturingParams>(
      sim::ManufacturingParamsReport(shortForm.receiver));
  ExpectExactLengthOnly<ParseProductionParams>(sim::ProductionParamsReport(shortForm.receiver));

  // The production report's length under the manufacturing sub-code is neither report.
  sim::Packet production = sim::ProductionParamsReport(shortForm.receiver);
  production.payload[0] = 0x41;
  const std::string json = PacketJson(production);
  EXPECT_EQ(FieldText(json, "parsed"), "false") << json;
}

}  // namespace
}  // namespace zelkon
