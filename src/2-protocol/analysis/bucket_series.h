// A time series of bounded memory however long it runs: samples fall into buckets of a fixed width
// that keep the least, the greatest and the mean of their samples, at a few widths, each keeping
// only its newest buckets. A plot of the last ten minutes reads the one-second buckets, a plot of
// two days the one-minute buckets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace zelkon {

struct Bucket {
  int64_t start = 0;  // seconds (Unix time), a multiple of the width
  double min = 0;
  double max = 0;
  double sum = 0;
  int64_t count = 0;

  double Mean() const { return count > 0 ? sum / static_cast<double>(count) : 0; }
};

class BucketSeries {
 public:
  // One resolution: buckets of `widthSeconds`, the newest `keep` of them.
  struct Tier {
    int64_t widthSeconds;
    int64_t keep;
    int64_t SpanSeconds() const { return widthSeconds * keep; }
  };

  // One-second buckets for two hours, one-minute buckets for two days.
  static constexpr Tier kDefaultTiers[] = {{1, 7200}, {60, 2880}};

  explicit BucketSeries(std::span<const Tier> tiers = kDefaultTiers);

  // A sample at `second`. A sample older than the newest bucket's start (the receiver's time went
  // back, or a new recording begins) starts the series afresh, so a plot never folds back.
  void Add(int64_t second, double value);
  void Clear();

  bool Empty() const { return tiers_.front().Empty(); }
  // Time of the newest sample; 0 while empty.
  int64_t Newest() const { return newest_; }

  // The buckets of the finest resolution that covers `spanSeconds`, from `spanSeconds` before the
  // newest sample on, oldest first.
  std::vector<Bucket> Last(int64_t spanSeconds) const;
  // The width of the buckets Last(spanSeconds) gives.
  int64_t WidthFor(int64_t spanSeconds) const;

  // Buckets held at each resolution: what bounds the memory.
  size_t Size() const;
  // Buckets there is room for without growing: at most the `keep` of each resolution, and nothing
  // before the first sample.
  size_t Capacity() const;

 private:
  // The buckets of one resolution, oldest first, in a ring that grows as it fills, up to `keep`.
  struct Level {
    Tier tier;
    std::vector<Bucket> ring;
    size_t first = 0;  // the oldest bucket's place in the ring
    size_t count = 0;

    bool Empty() const { return count == 0; }
    const Bucket& At(size_t i) const { return ring[(first + i) % ring.size()]; }
    Bucket& Back() { return ring[(first + count - 1) % ring.size()]; }
    const Bucket& Front() const { return ring[first]; }
    // Room for one more bucket, which `keep` must allow.
    void PushBack(const Bucket& bucket);
    void PopFront();
    void Clear();
  };
  const Level& LevelFor(int64_t spanSeconds) const;

  std::vector<Level> tiers_;
  int64_t newest_ = 0;
};

}  // namespace zelkon
