// The system data parsers against the receiver emulator: the almanac the emulator generates for
// each satellite and the one an upload stored, its health page from its constellation, and its UTC
// parameters, each built by the emulator's own encoder.
#include "reports/system_data.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "reports/report_types.h"
#include "sim/gps_time.h"
#include "sim/packet.h"
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

constexpr double kPi = std::numbers::pi;
constexpr double kDegreesPerRadian = 180.0 / kPi;

// A receiver whose almanac is complete from the start.
sim::SimOptions AlmanacKnown() {
  sim::SimOptions options;
  options.seed = 5;
  options.almanacSeconds = 0;
  return options;
}

TEST(SystemDataReports, TheGeneratedAlmanacOfEverySatelliteIsItsOwnAndOfTheReceiversWeek) {
  const sim::SimOptions options = AlmanacKnown();
  sim::Receiver receiver(options, DefaultStartGps());
  const double week = std::floor(receiver.TrueGps() / sim::kSecondsPerWeek);
  const double timeOfWeek = receiver.TrueGps() - week * sim::kSecondsPerWeek;
  // The almanac's reference time: the start of the 61440-second interval the receiver is in.
  const float reference = static_cast<float>(std::floor(timeOfWeek / 61440.0) * 61440.0);

  std::vector<float> meanAnomalies;
  for (int prn = 1; prn <= 32; ++prn) {
    SCOPED_TRACE(prn);
    const auto packet = sim::AlmanacReport(receiver, prn);
    ASSERT_TRUE(packet);
    const auto a = ParsePacket<ParseAlmanac>(*packet);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->prn, prn);
    EXPECT_EQ(a->week, static_cast<int>(week));
    EXPECT_EQ(a->collectionTime, reference);
    EXPECT_EQ(a->almanacTime, reference);
    // Each orbital element in the range the emulator draws it from, so that two fields read at
    // each other's offsets fall outside.
    EXPECT_GE(a->eccentricity, 0.001f);
    EXPECT_LE(a->eccentricity, 0.02f);
    EXPECT_GE(a->inclination, 0.94f);
    EXPECT_LE(a->inclination, 0.98f);
    EXPECT_GE(a->rightAscensionRate, -8.6e-9f);
    EXPECT_LE(a->rightAscensionRate, -7.8e-9f);
    EXPECT_GE(a->sqrtSemiMajorAxis, 5153.5f);
    EXPECT_LE(a->sqrtSemiMajorAxis, 5153.8f);
    for (const float angle : {a->rightAscension, a->argumentOfPerigee, a->meanAnomaly}) {
      EXPECT_GE(angle, -kPi);
      EXPECT_LE(angle, kPi);
    }
    meanAnomalies.push_back(a->meanAnomaly);
  }
  std::sort(meanAnomalies.begin(), meanAnomalies.end());
  EXPECT_EQ(std::unique(meanAnomalies.begin(), meanAnomalies.end()), meanAnomalies.end())
      << "every satellite is somewhere else on its orbit";

  ExpectExactLengthOnly<ParseAlmanac>(*sim::AlmanacReport(receiver, 7));
}

// An uploaded almanac is reported as it was loaded, under the satellite asked for.
TEST(SystemDataReports, AnUploadedAlmanacComesBackFieldByField) {
  const sim::SimOptions options;  // the almanac is not complete yet: only the loaded one answers
  sim::Receiver receiver(options, DefaultStartGps());
  const std::vector<uint8_t> block = sim::PayloadWriter()
                                         .U8(12)
                                         .Single(233472.0f)
                                         .U16(2318)
                                         .Single(0.0125f)
                                         .Single(319488.0f)
                                         .Single(0.9599f)
                                         .Single(-8.125e-9f)
                                         .Single(5153.625f)
                                         .Single(-2.5f)
                                         .Single(1.25f)
                                         .Single(0.5f)
                                         .Build(0x40)
                                         .payload;
  ASSERT_TRUE(receiver.LoadSystemData(2, 12, block));
  EXPECT_FALSE(sim::AlmanacReport(receiver, 13)) << "nothing for a satellite not loaded";

  const auto packet = sim::AlmanacReport(receiver, 12);
  ASSERT_TRUE(packet);
  const auto a = ParsePacket<ParseAlmanac>(*packet);
  ASSERT_TRUE(a);
  EXPECT_EQ(a->prn, 12);
  EXPECT_EQ(a->collectionTime, 233472.0f);
  EXPECT_EQ(a->week, 2318);
  EXPECT_EQ(a->eccentricity, 0.0125f);
  EXPECT_EQ(a->almanacTime, 319488.0f);
  EXPECT_EQ(a->inclination, 0.9599f);
  EXPECT_EQ(a->rightAscensionRate, -8.125e-9f);
  EXPECT_EQ(a->sqrtSemiMajorAxis, 5153.625f);
  EXPECT_EQ(a->rightAscension, -2.5f);
  EXPECT_EQ(a->argumentOfPerigee, 1.25f);
  EXPECT_EQ(a->meanAnomaly, 0.5f);

  // The JSON gives the angles in degrees and the semi-major axis in metres.
  const std::string json = PacketJson(*packet);
  EXPECT_EQ(FieldText(json, "report"), "\"almanac\"") << json;
  EXPECT_EQ(FieldNumber(json, "prn"), 12);
  EXPECT_EQ(FieldNumber(json, "collectionTimeS"), 233472);
  EXPECT_EQ(FieldNumber(json, "week"), 2318);
  EXPECT_EQ(static_cast<float>(FieldNumber(json, "eccentricity")), 0.0125f);
  EXPECT_EQ(FieldNumber(json, "almanacTimeS"), 319488);
  EXPECT_DOUBLE_EQ(FieldNumber(json, "inclinationDeg"), 0.9599f * kDegreesPerRadian);
  EXPECT_DOUBLE_EQ(FieldNumber(json, "rightAscensionRateDegps"), -8.125e-9f * kDegreesPerRadian);
  EXPECT_EQ(FieldNumber(json, "semiMajorAxisM"), 5153.625 * 5153.625);
  EXPECT_DOUBLE_EQ(FieldNumber(json, "rightAscensionDeg"), -450 / kPi);
  EXPECT_DOUBLE_EQ(FieldNumber(json, "argumentOfPerigeeDeg"), 225 / kPi);
  EXPECT_DOUBLE_EQ(FieldNumber(json, "meanAnomalyDeg"), 90 / kPi);
}

TEST(SystemDataReports, TheHealthPageMarksEverySatelliteTheConstellationLacks) {
  const sim::SimOptions options;
  const sim::Receiver receiver(options, DefaultStartGps());
  const sim::Packet packet = sim::AlmanacHealthReport(receiver);
  const auto h = ParsePacket<ParseAlmanacHealth>(packet);
  ASSERT_TRUE(h);
  std::string expected = "[";
  int unhealthy = 0;
  for (int prn = 1; prn <= 32; ++prn) {
    const int health = receiver.sky.Active(prn) ? 0x00 : 0x3F;
    EXPECT_EQ(h->health[static_cast<size_t>(prn - 1)], health) << "satellite " << prn;
    unhealthy += health != 0;
    expected += (prn > 1 ? "," : "") + std::to_string(health);
  }
  // Both kinds are there, so satellites read out of place would show.
  EXPECT_GT(unhealthy, 0);
  EXPECT_LT(unhealthy, 32);

  const std::string json = PacketJson(packet);
  EXPECT_EQ(FieldText(json, "report"), "\"almanacHealth\"") << json;
  EXPECT_EQ(FieldText(json, "health"), expected + "]");
  ExpectExactLengthOnly<ParseAlmanacHealth>(packet);
}

TEST(SystemDataReports, UtcParametersOfTheReceiverAndOfTheUtcTestMode) {
  // A leap second within the hour: the leap seconds after it differ from those now.
  sim::SimOptions options;
  options.leapIn = 3600;
  sim::Receiver receiver(options, DefaultStartGps());
  receiver.config.utc.a0 = -2.3283064365386963e-9;
  receiver.config.utc.a1 = 4.440892e-16f;
  receiver.config.utc.tot = 589824.0f;
  receiver.config.utc.dn = 1;
  const sim::UtcSegment held = receiver.UtcParameters();
  ASSERT_NE(held.deltaTls, held.deltaTlsf);

  const sim::Packet packet = sim::UtcParamsReport(receiver);
  const auto u = ParsePacket<ParseUtcParams>(packet);
  ASSERT_TRUE(u);
  EXPECT_EQ(u->a0, held.a0);
  EXPECT_EQ(u->a1, held.a1);
  EXPECT_EQ(u->deltaTls, held.deltaTls);
  EXPECT_EQ(u->tot, held.tot);
  EXPECT_EQ(u->wnT, held.wnT);
  EXPECT_EQ(u->wnLsf, held.wnLsf);
  EXPECT_EQ(u->dn, held.dn);
  EXPECT_EQ(u->deltaTlsf, held.deltaTlsf);
  ExpectExactLengthOnly<ParseUtcParams>(packet);

  // Every field its own value.
  receiver.EnterUtcTest({1.5e-9, -7.5e-15f, 17, 61440.0f, 2300, 2310, 5, 18});
  const sim::Packet test = sim::UtcParamsReport(receiver);
  const auto t = ParsePacket<ParseUtcParams>(test);
  ASSERT_TRUE(t);
  EXPECT_EQ(t->a0, 1.5e-9);
  EXPECT_EQ(t->a1, -7.5e-15f);
  EXPECT_EQ(t->deltaTls, 17);
  EXPECT_EQ(t->tot, 61440.0f);
  EXPECT_EQ(t->wnT, 2300);
  EXPECT_EQ(t->wnLsf, 2310);
  EXPECT_EQ(t->dn, 5);
  EXPECT_EQ(t->deltaTlsf, 18);

  const std::string json = PacketJson(test);
  EXPECT_EQ(FieldText(json, "report"), "\"utcParams\"") << json;
  EXPECT_EQ(FieldNumber(json, "a0S"), 1.5e-9);
  EXPECT_EQ(static_cast<float>(FieldNumber(json, "a1")), -7.5e-15f);
  EXPECT_EQ(FieldNumber(json, "deltaTlsS"), 17);
  EXPECT_EQ(FieldNumber(json, "totS"), 61440);
  EXPECT_EQ(FieldNumber(json, "wnT"), 2300);
  EXPECT_EQ(FieldNumber(json, "wnLsf"), 2310);
  EXPECT_EQ(FieldNumber(json, "dn"), 5);
  EXPECT_EQ(FieldNumber(json, "deltaTlsfS"), 18);
}

}  // namespace
}  // namespace zelkon
