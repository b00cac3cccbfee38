#include "analysis/stability.h"

#include <cmath>
#include <cstddef>
#include <cstdio>
#include <limits>
#include <optional>

#include "reports/report_types.h"
#include "reports/timing.h"

namespace zelkon {
namespace {

constexpr int64_t kSecondsPerWeek = 604800;

// The deviations of a phase series of `n` samples whose second differences at stride m are
// `difference(i, m)` = x[i + 2m] - 2 x[i + m] + x[i], NaN where a term cannot be formed.
template <class SecondDifference>
std::vector<StabilityPoint> Deviations(int64_t n, double tau0, SecondDifference difference) {
  std::vector<StabilityPoint> points;
  // Second differences at stride m, and their running sums for the modified variance; a term that
  // uses a missing sample is left out of both (the count of missing ones runs alongside).
  std::vector<double> sums;
  std::vector<int64_t> missing;
  for (int64_t m = 1; 3 * m <= n; m *= 2) {
    const int64_t count = n - 2 * m;
    sums.assign(static_cast<size_t>(count) + 1, 0.0);
    missing.assign(static_cast<size_t>(count) + 1, 0);
    double adevSum = 0;
    int64_t adevTerms = 0;
    for (int64_t i = 0; i < count; ++i) {
      const double d = difference(i, m);
      const bool present = !std::isnan(d);
      sums[static_cast<size_t>(i) + 1] = sums[static_cast<size_t>(i)] + (present ? d : 0.0);
      missing[static_cast<size_t>(i) + 1] = missing[static_cast<size_t>(i)] + (present ? 0 : 1);
      if (present) {
        adevSum += d * d;
        ++adevTerms;
      }
    }
    double mdevSum = 0;
    int64_t mdevTerms = 0;
    for (int64_t j = 0; j + m <= count; ++j) {
      const size_t from = static_cast<size_t>(j);
      const size_t to = static_cast<size_t>(j + m);
      if (missing[to] != missing[from]) continue;
      // The running sums telescope, so they stay near the size of the phase: their difference
      // loses no more than a few digits of a double.
      const double window = sums[to] - sums[from];
      mdevSum += window * window;
      ++mdevTerms;
    }
    if (adevTerms == 0) continue;
    const double tau = static_cast<double>(m) * tau0;
    const double md = static_cast<double>(m);
    StabilityPoint point;
    point.tauSeconds = tau;
    point.adevTerms = adevTerms;
    point.mdevTerms = mdevTerms;
    point.adev = std::sqrt(adevSum / (2.0 * tau * tau * static_cast<double>(adevTerms)));
    const double mvar = mdevSum / (2.0 * md * md * tau * tau * static_cast<double>(mdevTerms));
    point.mdev = mdevTerms > 0 ? std::sqrt(mvar) : std::numeric_limits<double>::quiet_NaN();
    point.tdev = tau / std::sqrt(3.0) * point.mdev;
    points.push_back(point);
  }
  return points;
}

}  // namespace

std::vector<StabilityPoint> ClockStability(const std::vector<double>& phase, double tau0) {
  return Deviations(static_cast<int64_t>(phase.size()), tau0, [&phase](int64_t i, int64_t m) {
    return phase[static_cast<size_t>(i + 2 * m)] - 2 * phase[static_cast<size_t>(i + m)] +
           phase[static_cast<size_t>(i)];
  });
}

std::vector<StabilityPoint> FrequencyStability(const std::vector<double>& frequency, double tau0) {
  // The phase x[k] is tau0 times the sum of the first k frequencies: its second differences are
  // differences of these running sums, formed only where no frequency between them is missing.
  const size_t n = frequency.size();
  std::vector<double> sums(n + 1, 0.0);
  std::vector<int64_t> missing(n + 1, 0);
  for (size_t k = 0; k < n; ++k) {
    const bool present = !std::isnan(frequency[k]);
    sums[k + 1] = sums[k] + (present ? frequency[k] : 0.0);
    missing[k + 1] = missing[k] + (present ? 0 : 1);
  }
  return Deviations(static_cast<int64_t>(n + 1), tau0,
                    [&sums, &missing, tau0](int64_t i, int64_t m) {
                      const size_t a = static_cast<size_t>(i);
                      const size_t b = static_cast<size_t>(i + m);
                      const size_t c = static_cast<size_t>(i + 2 * m);
                      if (missing[c] != missing[a]) return std::numeric_limits<double>::quiet_NaN();
                      return tau0 * ((sums[c] - sums[b]) - (sums[b] - sums[a]));
                    });
}

void PpsPhaseSeries::Add(uint8_t id, std::span<const uint8_t> payload) {
  const ReportKey key = ReportKey::Of(id, payload);
  if (key == KeyOf<TimingPrimary>()) {
    if (const std::optional<TimingPrimary> r = ParseTimingPrimary(payload)) AddPrimary(*r);
  } else if (key == KeyOf<TimingSupplemental>()) {
    if (const std::optional<TimingSupplemental> r = ParseTimingSupplemental(payload)) {
      AddSupplemental(*r);
    }
  }
}

void PpsPhaseSeries::AddPrimary(const TimingPrimary& r) {
  // Week 0 is a receiver that has no time yet: its reports time nothing.
  if (r.week == 0) return;
  primarySecond_ = static_cast<int64_t>(r.week) * kSecondsPerWeek + r.timeOfWeek;
  primaryUsed_ = false;
}

void PpsPhaseSeries::AddSupplemental(const TimingSupplemental& r) {
  // A supplemental report without a primary report of its own second has no time: not a sample.
  if (primaryUsed_) return;
  primaryUsed_ = true;
  AddSample(primarySecond_, static_cast<double>(r.ppsOffset) * 1e-9,
            static_cast<double>(r.oscillatorOffset) * 1e-9);
}

void PpsPhaseSeries::KeepNewest(size_t samples, size_t lines) {
  if (phase_.size() > samples) {
    phase_.erase(phase_.begin(), phase_.end() - static_cast<std::ptrdiff_t>(samples));
    frequency_.erase(frequency_.begin(), frequency_.end() - static_cast<std::ptrdiff_t>(samples));
  }
  if (gaps_.size() > lines) {
    gaps_.erase(gaps_.begin(), gaps_.end() - static_cast<std::ptrdiff_t>(lines));
  }
}

void PpsPhaseSeries::AddSample(int64_t second, double offsetSeconds, double frequency) {
  if (lastSecond_ >= 0) {
    const int64_t step = second - lastSecond_;
    const int64_t week = lastSecond_ / kSecondsPerWeek;
    const int64_t tow = lastSecond_ % kSecondsPerWeek;
    char line[160];
    // A second timed twice (a polled report beside the broadcast one) keeps its first sample.
    if (step == 0) return;
    if (step < 0) {
      std::snprintf(
          line, sizeof line, "time goes back %lld s after week %lld TOW %lld: sample left out",
          static_cast<long long>(-step), static_cast<long long>(week), static_cast<long long>(tow));
      gaps_.push_back(line);
      return;
    }
    if (step > kLongestFilledGap) {
      std::snprintf(line, sizeof line,
                    "gap of %lld s after week %lld TOW %lld: the series starts again after it",
                    static_cast<long long>(step - 1), static_cast<long long>(week),
                    static_cast<long long>(tow));
      gaps_.push_back(line);
      phase_.clear();
      frequency_.clear();
    } else if (step > 1) {
      std::snprintf(line, sizeof line, "gap of %lld s after week %lld TOW %lld",
                    static_cast<long long>(step - 1), static_cast<long long>(week),
                    static_cast<long long>(tow));
      gaps_.push_back(line);
      phase_.insert(phase_.end(), static_cast<size_t>(step - 1),
                    std::numeric_limits<double>::quiet_NaN());
      frequency_.insert(frequency_.end(), static_cast<size_t>(step - 1),
                        std::numeric_limits<double>::quiet_NaN());
    }
  }
  phase_.push_back(offsetSeconds);
  frequency_.push_back(frequency);
  lastSecond_ = second;
}

}  // namespace zelkon
