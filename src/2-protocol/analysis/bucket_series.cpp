#include "analysis/bucket_series.h"

#include <algorithm>

namespace zelkon {

BucketSeries::BucketSeries(std::span<const Tier> tiers) {
  for (const Tier& tier : tiers)
    tiers_.push_back(Level{tier, {}});
}

void BucketSeries::Add(int64_t second, double value) {
  if (!Empty() && second < newest_) Clear();
  newest_ = second;
  for (Level& level : tiers_) {
    const int64_t width = level.tier.widthSeconds;
    // Floor division, so that times before 1970 still fall into their own bucket.
    const int64_t start = (second >= 0 ? second / width : (second - width + 1) / width) * width;
    std::deque<Bucket>& buckets = level.buckets;
    if (!buckets.empty() && buckets.back().start == start) {
      Bucket& b = buckets.back();
      b.min = std::min(b.min, value);
      b.max = std::max(b.max, value);
      b.sum += value;
      ++b.count;
    } else {
      buckets.push_back(Bucket{start, value, value, value, 1});
    }
    // Older than the tier's span, or beyond its count, a bucket goes.
    const int64_t oldest = start - level.tier.SpanSeconds();
    while (!buckets.empty() && (static_cast<int64_t>(buckets.size()) > level.tier.keep ||
                                buckets.front().start <= oldest)) {
      buckets.pop_front();
    }
  }
}

void BucketSeries::Clear() {
  for (Level& level : tiers_)
    level.buckets.clear();
  newest_ = 0;
}

const BucketSeries::Level& BucketSeries::LevelFor(int64_t spanSeconds) const {
  for (const Level& level : tiers_) {
    if (level.tier.SpanSeconds() >= spanSeconds) return level;
  }
  return tiers_.back();
}

int64_t BucketSeries::WidthFor(int64_t spanSeconds) const {
  return LevelFor(spanSeconds).tier.widthSeconds;
}

std::vector<Bucket> BucketSeries::Last(int64_t spanSeconds) const {
  const std::deque<Bucket>& buckets = LevelFor(spanSeconds).buckets;
  const int64_t from = newest_ - spanSeconds;
  auto first = std::partition_point(buckets.begin(), buckets.end(),
                                    [from](const Bucket& b) { return b.start < from; });
  return std::vector<Bucket>(first, buckets.end());
}

size_t BucketSeries::Size() const {
  size_t size = 0;
  for (const Level& level : tiers_)
    size += level.buckets.size();
  return size;
}

}  // namespace zelkon
