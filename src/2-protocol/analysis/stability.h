// Clock stability of a phase series: the overlapping Allan deviation, the modified Allan deviation
// and the time deviation, at octave averaging times, and the PPS-offset series of a receiver's
// timing reports they are computed from.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zelkon {

struct TimingPrimary;
struct TimingSupplemental;

struct StabilityPoint {
  double tauSeconds = 0;
  // Terms of each sum: the overlapping Allan deviation's and the modified one's (also the time
  // deviation's). A missing sample removes every term that would use it.
  int64_t adevTerms = 0;
  int64_t mdevTerms = 0;
  double adev = 0;  // fractional frequency
  double mdev = 0;  // fractional frequency
  double tdev = 0;  // seconds
};

// `phase`: time offsets in seconds, one every `tau0` seconds; a missing sample is NaN. Averaging
// times tau0 times 1, 2, 4, ... up to a third of the series; an averaging time without a complete
// Allan term is left out, and one whose every modified term meets a missing sample has NaN as its
// modified and time deviations. Each deviation costs one pass over the series per averaging time.
std::vector<StabilityPoint> ClockStability(const std::vector<double>& phase, double tau0 = 1.0);

// The same deviations of an oscillator from its frequency offsets: `frequency` holds fractional
// frequency offsets (1e-9 a ppb), one every `tau0` seconds, NaN where missing, and the deviations
// are those of the phase they add up to. A term whose averaging intervals hold a missing sample is
// left out: the phase after a gap is not known.
std::vector<StabilityPoint> FrequencyStability(const std::vector<double>& frequency,
                                               double tau0 = 1.0);

// The receiver's PPS offsets and oscillator offsets in time order, one a second, from its timing
// reports: each supplemental timing report (0x8F-AC) takes the time of the primary timing report
// (0x8F-AB) sent before it; before the receiver has the time (week 0) there are no samples. Seconds
// without a sample are NaN in `phase` and `oscillatorOffsets` and listed in `gaps`.
class PpsPhaseSeries {
 public:
  // Takes every packet of a stream, id first excluded (the payload as the report parsers read it).
  void Add(uint8_t id, std::span<const uint8_t> payload);
  // The same, for reports already parsed.
  void AddPrimary(const TimingPrimary& report);
  void AddSupplemental(const TimingSupplemental& report);

  // Keeps the newest `samples` seconds of the series and the newest `lines` gap lines: a series
  // that follows a receiver for weeks stays bounded. Gaps of the dropped part stay in `gaps`
  // until they are among the oldest lines.
  void KeepNewest(size_t samples, size_t lines);

  const std::vector<double>& phase() const { return phase_; }
  // The oscillator offsets of the same seconds, as fractional frequency.
  const std::vector<double>& oscillatorOffsets() const { return frequency_; }
  // One line per gap or jump, for the operator: "gap of 3 s after week 2300 TOW 12345".
  const std::vector<std::string>& gaps() const { return gaps_; }

  // Longer gaps are not filled: the series ends before them and starts again after.
  static constexpr int64_t kLongestFilledGap = 86400;

 private:
  void AddSample(int64_t second, double offsetSeconds, double frequency);

  std::vector<double> phase_;
  std::vector<double> frequency_;
  std::vector<std::string> gaps_;
  int64_t primarySecond_ = -1;  // GPS seconds of the last primary timing report
  bool primaryUsed_ = true;     // the last primary's second has its sample
  int64_t lastSecond_ = -1;     // GPS seconds of the last sample
};

}  // namespace zelkon
