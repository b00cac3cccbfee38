#include "analysis/bucket_series.h"

#include <algorithm>

namespace zelkon {
namespace {

// Buckets a resolution first makes room for; it doubles from there up to its `keep`.
constexpr size_t kFirstRoom = 64;

}  // namespace

void BucketSeries::Level::PushBack(const Bucket& bucket) {
  if (count == ring.size()) {
    const size_t room = std::min(static_cast<size_t>(tier.keep), std::max(kFirstRoom, 2 * count));
    std::vector<Bucket> grown(room);
    for (size_t i = 0; i < count; ++i)
      grown[i] = At(i);
    ring = std::move(grown);
    first = 0;
  }
  ring[(first + count) % ring.size()] = bucket;
  ++count;
}

void BucketSeries::Level::PopFront() {
  first = (first + 1) % ring.size();
  --count;
}

void BucketSeries::Level::Clear() {
  first = 0;
  count = 0;
}

BucketSeries::BucketSeries(std::span<const Tier> tiers) {
  tiers_.reserve(tiers.size());
  for (const Tier& tier : tiers)
    tiers_.push_back(Level{tier, {}, 0, 0});
}

void BucketSeries::Add(int64_t second, double value) {
  if (!Empty() && second < newest_) Clear();
  newest_ = second;
  for (Level& level : tiers_) {
    const int64_t width = level.tier.widthSeconds;
    // Floor division, so that times before 1970 still fall into their own bucket.
    const int64_t start = (second >= 0 ? second / width : (second - width + 1) / width) * width;
    if (!level.Empty() && level.Back().start == start) {
      Bucket& b = level.Back();
      b.min = std::min(b.min, value);
      b.max = std::max(b.max, value);
      b.sum += value;
      ++b.count;
    } else if (level.tier.keep > 0) {
      // Beyond the tier's count, the oldest bucket goes to make room.
      if (level.count == static_cast<size_t>(level.tier.keep)) level.PopFront();
      level.PushBack(Bucket{start, value, value, value, 1});
    }
    // Older than the tier's span, a bucket goes.
    const int64_t oldest = start - level.tier.SpanSeconds();
    while (!level.Empty() && level.Front().start <= oldest)
      level.PopFront();
  }
}

void BucketSeries::Clear() {
  for (Level& level : tiers_)
    level.Clear();
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
  const Level& level = LevelFor(spanSeconds);
  const int64_t from = newest_ - spanSeconds;
  // The first bucket that starts at `from` or later: the buckets are in time order.
  size_t low = 0;
  size_t high = level.count;
  while (low < high) {
    const size_t middle = low + (high - low) / 2;
    if (level.At(middle).start < from) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  std::vector<Bucket> buckets;
  buckets.reserve(level.count - low);
  for (size_t i = low; i < level.count; ++i)
    buckets.push_back(level.At(i));
  return buckets;
}

size_t BucketSeries::Size() const {
  size_t size = 0;
  for (const Level& level : tiers_)
    size += level.count;
  return size;
}

size_t BucketSeries::Capacity() const {
  size_t capacity = 0;
  for (const Level& level : tiers_)
    capacity += level.ring.size();
  return capacity;
}

}  // namespace zelkon
