// The telemetry behind the charts, the sky view and the metrics: bounded histories that still give
// the true least, mean and greatest value of every bucket, one sample per receiver second, and the
// packet counts by report.
#include "analysis/telemetry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>
#include <vector>

#include "analysis/bucket_series.h"
#include "analysis/stability.h"

namespace zelkon {
namespace {

// A day of one sample a second, checked against the samples themselves: the one-minute buckets of
// a two-day span hold each minute's true least, mean and greatest value, and the memory held does
// not grow with the run.
TEST(BucketSeriesTest, ADayOfSamplesKeepsTrueMinuteBucketsInBoundedMemory) {
  BucketSeries series;
  const int64_t start = 1718539200;  // 2024-06-16 12:00:00 UTC, a whole minute
  std::vector<double> values;
  size_t sizeAfterTwoHours = 0;
  for (int64_t s = 0; s < 86400; ++s) {
    const double v = 50 * std::sin(static_cast<double>(s) / 97.0) + static_cast<double>(s % 7);
    values.push_back(v);
    series.Add(start + s, v);
    if (s == 2 * 7200) sizeAfterTwoHours = series.Size();
  }
  EXPECT_LE(series.Size(), sizeAfterTwoHours + 1440);  // a minute bucket a minute, nothing more
  EXPECT_LE(series.Size(), 7200u + 2880u);

  EXPECT_EQ(series.WidthFor(600), 1);
  EXPECT_EQ(series.WidthFor(7200), 1);
  EXPECT_EQ(series.WidthFor(172800), 60);

  const std::vector<Bucket> minutes = series.Last(172800);
  ASSERT_EQ(minutes.size(), 1440u);
  for (size_t m = 0; m < minutes.size(); m += 97) {
    SCOPED_TRACE(m);
    const auto first = values.begin() + static_cast<std::ptrdiff_t>(m * 60);
    const auto last = first + 60;
    EXPECT_EQ(minutes[m].start, start + static_cast<int64_t>(m) * 60);
    EXPECT_EQ(minutes[m].count, 60);
    EXPECT_DOUBLE_EQ(minutes[m].min, *std::min_element(first, last));
    EXPECT_DOUBLE_EQ(minutes[m].max, *std::max_element(first, last));
    double sum = 0;
    for (auto it = first; it != last; ++it)
      sum += *it;
    EXPECT_NEAR(minutes[m].Mean(), sum / 60, 1e-9);
  }

  // Ten minutes at one second: the newest 601 seconds, the last one the newest sample.
  const std::vector<Bucket> seconds = series.Last(600);
  ASSERT_FALSE(seconds.empty());
  EXPECT_GE(seconds.size(), 600u);
  EXPECT_LE(seconds.size(), 601u);
  EXPECT_EQ(seconds.back().start, start + 86399);
  EXPECT_DOUBLE_EQ(seconds.back().Mean(), values.back());
}

// A receiver whose time goes back (a new recording, a receiver reset to another date) starts the
// plot afresh instead of folding it back on itself.
TEST(BucketSeriesTest, TimeGoingBackStartsTheSeriesAfresh) {
  BucketSeries series;
  for (int64_t s = 0; s < 300; ++s)
    series.Add(2000000000 + s, 1.0);
  series.Add(1000000000, 5.0);
  const std::vector<Bucket> buckets = series.Last(3600);
  ASSERT_EQ(buckets.size(), 1u);
  EXPECT_EQ(buckets[0].start, 1000000000);
  EXPECT_DOUBLE_EQ(buckets[0].Mean(), 5.0);
  EXPECT_EQ(series.Newest(), 1000000000);
}

// Small tiers, so that the buckets of each wrap round their room many times and the room grows
// while wrapped (sparse samples keep fewer buckets than the room holds; dense ones then outgrow
// it), checked against the samples themselves: every resolution holds the true buckets of its
// newest `keep` widths, oldest first, after gaps, long gaps and time going back; nothing is held
// before the first sample and the room never exceeds what the tiers keep.
TEST(BucketSeriesTest, SmallTiersKeepTheirNewestTrueBucketsInOrderThroughGapsAndResets) {
  static constexpr BucketSeries::Tier kTiers[] = {{1, 300}, {10, 100}};
  BucketSeries series(kTiers);
  EXPECT_TRUE(series.Empty());
  EXPECT_EQ(series.Capacity(), 0u);

  std::vector<std::pair<int64_t, double>> samples;  // since the series last started afresh
  int64_t second = -500;                            // before 1970 too
  uint32_t noise = 12345;
  for (int step = 0; step < 6000; ++step) {
    const bool sparse = (step / 400) % 2 == 0;
    noise = noise * 1103515245U + 12345U;
    const uint32_t r = (noise >> 16) % 1000;
    if (r < 3) {
      second -= 40;  // the receiver's time went back
      samples.clear();
    } else if (r < 30) {
      second += 95;  // a gap of many buckets
    } else if (sparse) {
      second += 1 + r % 6;
    } else if (r < 600) {
      second += 1;
    }  // else another sample in the same second
    const double value = static_cast<double>((noise >> 8) % 1000) - 500;
    series.Add(second, value);
    samples.emplace_back(second, value);
    if (step % 37 != 0) continue;

    SCOPED_TRACE(step);
    EXPECT_EQ(series.Newest(), second);
    EXPECT_LE(series.Capacity(), 300u + 100u);
    for (const BucketSeries::Tier& tier : kTiers) {
      const int64_t width = tier.widthSeconds;
      const auto floor = [width](int64_t s) {
        return (s >= 0 ? s / width : (s - width + 1) / width) * width;
      };
      // The true buckets of the samples, newest `keep` widths, at most `keep` of them.
      std::vector<Bucket> expected;
      for (const auto& [s, v] : samples) {
        if (floor(s) <= floor(second) - tier.SpanSeconds()) continue;
        if (expected.empty() || expected.back().start != floor(s)) {
          expected.push_back(Bucket{floor(s), v, v, v, 1});
        } else {
          Bucket& b = expected.back();
          b.min = std::min(b.min, v);
          b.max = std::max(b.max, v);
          b.sum += v;
          ++b.count;
        }
      }
      if (expected.size() > static_cast<size_t>(tier.keep)) {
        expected.erase(expected.begin(), expected.end() - tier.keep);
      }
      ASSERT_EQ(series.WidthFor(tier.SpanSeconds()), width);
      const std::vector<Bucket> held = series.Last(tier.SpanSeconds());
      ASSERT_EQ(held.size(), expected.size()) << "width " << width;
      for (size_t i = 0; i < held.size(); ++i) {
        EXPECT_EQ(held[i].start, expected[i].start);
        EXPECT_EQ(held[i].count, expected[i].count);
        EXPECT_DOUBLE_EQ(held[i].min, expected[i].min);
        EXPECT_DOUBLE_EQ(held[i].max, expected[i].max);
        EXPECT_DOUBLE_EQ(held[i].sum, expected[i].sum);
      }
      // A shorter span gives the newest of the finest buckets, from that span before the newest.
      if (width != 1) continue;
      const std::vector<Bucket> recent = series.Last(30);
      ASSERT_LE(recent.size(), held.size());
      EXPECT_TRUE(std::equal(recent.begin(), recent.end(),
                             held.end() - static_cast<std::ptrdiff_t>(recent.size()),
                             [](const Bucket& x, const Bucket& y) { return x.start == y.start; }));
      EXPECT_TRUE(recent.size() == held.size() ||
                  held[held.size() - recent.size() - 1].start < second - 30);
      for (const Bucket& bucket : recent)
        EXPECT_GE(bucket.start, second - 30);
    }
  }
}

// A fresh series takes no room before its first sample (a monitor starts with many of them); its
// room grows with the run, up to what its tiers keep.
TEST(BucketSeriesTest, ARunFillsItsRoomAsItGoesUpToTheTiersBound) {
  BucketSeries series;
  EXPECT_EQ(series.Capacity(), 0u);
  const int64_t start = 1718539200;
  for (int64_t s = 0; s < 600; ++s)
    series.Add(start + s, 1.0);
  EXPECT_GE(series.Capacity(), series.Size());
  EXPECT_LT(series.Capacity(), 2 * 600u + 64u);  // grown with the run, not made for two days
  for (int64_t s = 600; s < 3 * 7200; ++s)
    series.Add(start + s, 1.0);
  EXPECT_EQ(series.Size(), 7200u + 360u);
  EXPECT_LE(series.Capacity(), 7200u + 2880u);
}

TimingPrimary PrimaryAt(uint32_t timeOfWeek) {
  TimingPrimary p;
  p.week = 2319;
  p.timeOfWeek = timeOfWeek;
  p.utcOffset = 18;
  return p;
}

TimingSupplemental SupplementalWith(float ppsOffset) {
  TimingSupplemental s;
  s.ppsOffset = ppsOffset;
  s.oscillatorOffset = ppsOffset / 10;
  s.quantizationError = -ppsOffset;
  return s;
}

TrackingStatus Acquired(uint8_t prn, int channel) {
  TrackingStatus t;
  t.prn = prn;
  t.channelCode = static_cast<uint8_t>(channel << 3);
  t.acquisition = 1;
  t.signalLevel = 10;
  t.elevation = 0.5F;
  t.azimuth = 1.0F;
  return t;
}

// The histories take one sample per second of receiver time, at the receiver's UTC, whatever
// the number of supplemental reports in that second; a receiver without time (week 0) adds none.
TEST(TelemetryTest, OneSamplePerReceiverSecondAtItsUtc) {
  Telemetry t;
  t.Add(SupplementalWith(9), 0);  // before any time: not sampled
  t.Add(TimingPrimary{}, 0);      // week 0
  t.Add(SupplementalWith(9), 0);
  EXPECT_TRUE(t.PpsOffsetNs().Empty());
  EXPECT_FALSE(t.ReceiverUtc().has_value());

  t.Add(Acquired(5, 0));
  t.Add(Acquired(9, 3));
  t.Add(SatelliteSelection{0, 0, 0, 0, {5, -9}});
  t.Add(PrimaryAt(100018), 1000);
  t.Add(SupplementalWith(3), 1000);
  t.Add(SupplementalWith(7), 1100);  // a second report in the same second
  t.Add(PrimaryAt(100019), 2000);
  t.Add(SupplementalWith(-4), 2000);

  // GPS week 2319, second 100018, 18 leap seconds: 2024-06-17 03:46:40 UTC.
  const int64_t utc = 315964800 + 2319 * 604800 + 100000;
  ASSERT_EQ(t.ReceiverUtc(), utc + 1);
  const std::vector<Bucket> pps = t.PpsOffsetNs().Last(600);
  ASSERT_EQ(pps.size(), 2u);
  EXPECT_EQ(pps[0].start, utc);
  EXPECT_EQ(pps[0].count, 1);
  EXPECT_DOUBLE_EQ(pps[0].Mean(), 3);
  EXPECT_DOUBLE_EQ(pps[1].Mean(), -4);
  EXPECT_DOUBLE_EQ(t.OscillatorOffsetPpb().Last(600)[1].Mean(), -0.4F);
  EXPECT_DOUBLE_EQ(t.QuantizationErrorNs().Last(600)[1].Mean(), 4);
  EXPECT_DOUBLE_EQ(t.SatellitesTrackedSeries().Last(600)[1].Mean(), 2);
  EXPECT_DOUBLE_EQ(t.SatellitesUsedSeries().Last(600)[1].Mean(), 1);  // PRN 9 excluded
  EXPECT_EQ(t.LastTimingReportMs(), 2000);

  // Both satellites are in the sky with one track point each.
  ASSERT_EQ(t.Tracks().size(), 0u);  // their reports came before the receiver had a time
  t.Add(Acquired(5, 0));
  ASSERT_EQ(t.Tracks().count(5), 1u);
  EXPECT_EQ(t.Tracks().at(5).back().second, utc + 1);
}

// The live phase series: a second timed twice (a polled report beside the broadcast one) keeps
// its first sample without a word; a missing second is a NaN and a line; time going back is
// left out and said.
TEST(PpsPhaseSeriesTest, RepeatedSecondsGapsAndTimeGoingBack) {
  PpsPhaseSeries series;
  const auto second = [&series](uint32_t tow, float ppsNs) {
    series.AddPrimary(PrimaryAt(tow));
    series.AddSupplemental(SupplementalWith(ppsNs));
  };
  second(1000, 1);
  second(1000, 2);  // the same second again
  second(1001, 3);
  second(1004, 4);  // seconds 1002 and 1003 missing
  second(1002, 5);  // back
  ASSERT_EQ(series.phase().size(), 5u);
  EXPECT_DOUBLE_EQ(series.phase()[0], 1e-9);
  EXPECT_DOUBLE_EQ(series.phase()[1], 3e-9);
  EXPECT_TRUE(std::isnan(series.phase()[2]));
  EXPECT_TRUE(std::isnan(series.phase()[3]));
  EXPECT_DOUBLE_EQ(series.phase()[4], 4e-9);
  ASSERT_EQ(series.gaps().size(), 2u);
  EXPECT_EQ(series.gaps()[0], "gap of 2 s after week 2319 TOW 1001");
  EXPECT_EQ(series.gaps()[1], "time goes back 2 s after week 2319 TOW 1004: sample left out");
}

// A channel counts as tracking while its newest report, within ten seconds of receiver time,
// says acquired: a replay's last state stays, however long the monitor shows it.
TEST(TelemetryTest, TrackedSatellitesAgeInReceiverSecondsAndFollowTheirChannel) {
  Telemetry t;
  t.Add(PrimaryAt(1000), 0);
  t.Add(Acquired(5, 0));
  for (uint32_t s = 1; s <= 5; ++s)
    t.Add(PrimaryAt(1000 + s), 0);
  t.Add(PrimaryAt(1005), 0);  // the same second again counts once
  t.Add(Acquired(9, 1));
  EXPECT_EQ(t.SatellitesTracked(), 2);
  for (uint32_t s = 6; s <= 10; ++s)
    t.Add(PrimaryAt(1000 + s), 0);
  EXPECT_EQ(t.SatellitesTracked(), 2);  // PRN 5 reported 10 s ago
  t.Add(PrimaryAt(1011), 0);
  EXPECT_EQ(t.SatellitesTracked(), 1);
  TrackingStatus lost = Acquired(9, 1);
  lost.acquisition = 2;
  t.Add(lost);
  EXPECT_EQ(t.SatellitesTracked(), 0);
  // A channel number beyond the receiver's is not a channel.
  t.Add(Acquired(12, 31));
  EXPECT_EQ(t.SatellitesTracked(), 0);
}

TEST(TelemetryTest, PacketsAreCountedByReportWithTheDroppedOnesApart) {
  Telemetry t;
  const uint8_t supplemental[] = {0xAC, 0, 0};
  const uint8_t fatal[] = {0x11, 0x22};
  t.CountPacket(0x8F, supplemental, PacketOutcome::Decoded);
  t.CountPacket(0x8F, supplemental, PacketOutcome::BadLength);
  t.CountPacket(0x5F, fatal, PacketOutcome::Decoded);
  t.CountPacket(0x13, {}, PacketOutcome::UnknownId);
  t.CountPacket(0x8F, {}, PacketOutcome::BadLength);  // no sub-code to read

  const auto& received = t.Received();
  ASSERT_EQ(received.count({0x8F, 0xAC}), 1u);
  EXPECT_EQ(received.at({0x8F, 0xAC}).packets, 2u);
  EXPECT_EQ(received.at({0x8F, 0xAC}).bytes, 8u);  // id and payload, twice
  EXPECT_EQ(received.at({0x5F, 0x11}).packets, 1u);
  // An id without a decoder is counted with the others of its kind, not on its own.
  EXPECT_EQ(received.count({0x13, -1}), 0u);
  EXPECT_EQ(t.UnknownReceived().packets, 1u);
  EXPECT_EQ(t.UnknownReceived().bytes, 1u);
  EXPECT_EQ(received.at({0x8F, -1}).packets, 1u);
  EXPECT_EQ(t.Dropped(PacketOutcome::BadLength), 2u);
  EXPECT_EQ(t.Dropped(PacketOutcome::UnknownId), 1u);
  EXPECT_EQ(t.Dropped(PacketOutcome::Decoded), 0u);
}

TEST(TelemetryTest, TheSerialNumberIsTheCasesElseTheBoards) {
  Telemetry t;
  EXPECT_FALSE(t.SerialNumber().has_value());
  ManufacturingParams board;
  board.boardSerialNumber = 1234;
  t.Add(board);
  EXPECT_EQ(t.SerialNumber(), 1234u);
  ProductionParams production;
  production.caseSerialNumber = 98765;
  t.Add(production);
  EXPECT_EQ(t.SerialNumber(), 98765u);
}

}  // namespace
}  // namespace zelkon
