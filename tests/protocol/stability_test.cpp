// Clock stability: a series worked out by hand, the textbook levels and slopes of white phase and
// white frequency noise, missing samples, the same deviations from frequency offsets, and
// zelkon-decode --stability on the emulator's stream with reports dropped.
#include "analysis/stability.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace zelkon {
namespace {

// Phase 0, 1, 4, 9, 16, 25 s: every second difference at stride m is 2 m squared.
TEST(ClockStability, AQuadraticPhaseWorkedOutByHand) {
  const std::vector<StabilityPoint> points = ClockStability({0, 1, 4, 9, 16, 25});
  ASSERT_EQ(points.size(), 2u);
  // m = 1: four terms of 2 squared; Allan variance 16 / (2 * 4) = 2. The modified variance at m = 1
  // is the same sum.
  EXPECT_EQ(points[0].tauSeconds, 1);
  EXPECT_EQ(points[0].adevTerms, 4);
  EXPECT_EQ(points[0].mdevTerms, 4);
  EXPECT_DOUBLE_EQ(points[0].adev, std::sqrt(2.0));
  EXPECT_DOUBLE_EQ(points[0].mdev, std::sqrt(2.0));
  EXPECT_DOUBLE_EQ(points[0].tdev, std::sqrt(2.0) / std::sqrt(3.0));
  // m = 2: two terms of 8 squared, variance 128 / (2 * 4 * 2) = 8; one modified term, a window of
  // two differences summing to 16: 256 / (2 * 4 * 4 * 1) = 8.
  EXPECT_EQ(points[1].tauSeconds, 2);
  EXPECT_EQ(points[1].adevTerms, 2);
  EXPECT_EQ(points[1].mdevTerms, 1);
  EXPECT_DOUBLE_EQ(points[1].adev, std::sqrt(8.0));
  EXPECT_DOUBLE_EQ(points[1].mdev, std::sqrt(8.0));
  EXPECT_DOUBLE_EQ(points[1].tdev, 2 * std::sqrt(8.0) / std::sqrt(3.0));
  // Averaging times reach a third of the series and no further.
  EXPECT_TRUE(ClockStability({0, 1}).empty());
  EXPECT_EQ(ClockStability(std::vector<double>(48, 0.0)).back().tauSeconds, 16);
}

// The log-log slope between two averaging times.
double Slope(const StabilityPoint& a, const StabilityPoint& b, double StabilityPoint::*deviation) {
  return std::log(b.*deviation / a.*deviation) / std::log(b.tauSeconds / a.tauSeconds);
}

TEST(ClockStability, WhitePhaseAndWhiteFrequencyNoiseGiveTheTextbookLevelsAndSlopes) {
  constexpr int kSamples = 200000;
  std::mt19937_64 random(7);
  std::normal_distribution<double> normal(0.0, 1.0);

  // White phase noise of 1 ns: ADEV = sqrt(3) sigma / tau, MDEV = sqrt(3) sigma / tau^1.5,
  // TDEV = sigma / sqrt(tau).
  const double sigma = 1e-9;
  std::vector<double> phase(kSamples);
  for (double& x : phase)
    x = sigma * normal(random);
  std::vector<StabilityPoint> points = ClockStability(phase);
  ASSERT_GE(points.size(), 16u);
  for (size_t i = 0; i <= 6; ++i) {  // tau 1 to 64 s: thousands of terms, a few per cent
    const StabilityPoint& p = points[i];
    SCOPED_TRACE(p.tauSeconds);
    EXPECT_NEAR(p.adev, std::sqrt(3.0) * sigma / p.tauSeconds, 0.05 * p.adev);
    EXPECT_NEAR(p.mdev, std::sqrt(3.0) * sigma / std::pow(p.tauSeconds, 1.5), 0.08 * p.mdev);
    EXPECT_NEAR(p.tdev, sigma / std::sqrt(p.tauSeconds), 0.08 * p.tdev);
  }
  EXPECT_NEAR(Slope(points[0], points[6], &StabilityPoint::adev), -1.0, 0.03);
  EXPECT_NEAR(Slope(points[2], points[8], &StabilityPoint::mdev), -1.5, 0.05);
  EXPECT_NEAR(Slope(points[2], points[8], &StabilityPoint::tdev), -0.5, 0.05);

  // White frequency noise of 1e-11 per second: ADEV = sigma_y / sqrt(tau); the modified variance
  // tends to half the Allan variance; TDEV rises as sqrt(tau).
  const double sigmaY = 1e-11;
  double x = 0;
  for (double& sample : phase) {
    sample = x;
    x += sigmaY * normal(random);
  }
  points = ClockStability(phase);
  for (size_t i = 0; i <= 6; ++i) {
    const StabilityPoint& p = points[i];
    SCOPED_TRACE(p.tauSeconds);
    EXPECT_NEAR(p.adev, sigmaY / std::sqrt(p.tauSeconds), 0.06 * p.adev);
  }
  for (size_t i = 4; i <= 7; ++i) {
    EXPECT_NEAR(points[i].mdev / points[i].adev, std::sqrt(0.5), 0.06) << points[i].tauSeconds;
  }
  EXPECT_NEAR(Slope(points[0], points[6], &StabilityPoint::adev), -0.5, 0.03);
  EXPECT_NEAR(Slope(points[4], points[8], &StabilityPoint::tdev), 0.5, 0.06);
}

TEST(ClockStability, AMissingSampleRemovesTheTermsThatWouldUseIt) {
  // A phase ramp (a constant frequency offset) has no instability; sample 15 is missing.
  constexpr int64_t kSamples = 40;
  constexpr int64_t kMissing = 15;
  std::vector<double> phase(kSamples);
  for (size_t i = 0; i < phase.size(); ++i)
    phase[i] = 1e-9 * static_cast<double>(i);
  phase[kMissing] = std::numeric_limits<double>::quiet_NaN();
  const std::vector<StabilityPoint> points = ClockStability(phase);
  ASSERT_EQ(points.size(), 4u);  // tau 1, 2, 4, 8
  for (const StabilityPoint& p : points) {
    const int64_t m = static_cast<int64_t>(p.tauSeconds);
    SCOPED_TRACE(m);
    // The sample is the first, middle or last of up to three second differences (at m = 8 the
    // one it would end starts before the series).
    EXPECT_EQ(p.adevTerms, kSamples - 2 * m - (kMissing >= 2 * m ? 3 : 2));
    EXPECT_LT(p.mdevTerms, kSamples - 3 * m + 1);
    EXPECT_GT(p.mdevTerms, 0);
    EXPECT_NEAR(p.adev, 0.0, 1e-15);
    EXPECT_NEAR(p.mdev, 0.0, 1e-15);
  }
}

// An oscillator's frequency offsets give the deviations of the phase they add up to; a missing
// offset leaves out every term whose averaging intervals hold it.
TEST(FrequencyStability, IsThatOfThePhaseTheOffsetsAddUpToWithoutTheTermsAcrossAGap) {
  std::mt19937_64 random(3);
  std::normal_distribution<double> normal(0.0, 1e-11);
  std::vector<double> frequency(20000);
  std::vector<double> phase = {0.0};
  for (double& y : frequency) {
    y = 5e-8 + normal(random);  // 50 ppb and white frequency noise
    phase.push_back(phase.back() + y);
  }
  const std::vector<StabilityPoint> expected = ClockStability(phase);
  const std::vector<StabilityPoint> points = FrequencyStability(frequency);
  ASSERT_EQ(points.size(), expected.size());
  for (size_t i = 0; i < points.size(); ++i) {
    EXPECT_EQ(points[i].adevTerms, expected[i].adevTerms);
    EXPECT_NEAR(points[i].adev, expected[i].adev, 1e-6 * expected[i].adev);
    EXPECT_NEAR(points[i].tdev, expected[i].tdev, 1e-6 * expected[i].tdev);
  }
  // A constant offset, the 16th of 40 missing: at tau 1, 2, 4, 8 s the terms of 41 phase samples
  // whose 2 tau seconds hold it are left out.
  std::vector<double> constant(40, 5e-8);
  constant[15] = std::numeric_limits<double>::quiet_NaN();
  const std::vector<StabilityPoint> gapped = FrequencyStability(constant);
  ASSERT_EQ(gapped.size(), 4u);
  EXPECT_EQ(gapped[0].adevTerms, 37);
  EXPECT_EQ(gapped[3].adevTerms, 9);
  EXPECT_NEAR(gapped[3].mdev, 0.0, 1e-18);
}

}  // namespace
}  // namespace zelkon
