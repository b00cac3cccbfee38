// The configuration values the segment check of the reset diagnostics reads back. The decoders
// store them on the user-interface thread; the check's worker thread reads them. Each is written
// whole. The counts and codes are never negative, so -1 means "not known yet"; an altitude can be
// any value (below 0 m at the Dead Sea or in a mine), so "not known yet" is an empty one there.
#pragma once

#include <atomic>
#include <bit>
#include <cstdint>
#include <optional>

namespace zelkon {

// A single-precision value or none, in one lock-free word: the value's bits and a flag of its
// presence. (An atomic optional<float> would be the same, but not every compiler makes it
// lock-free without the atomic library.)
class AtomicOptionalFloat {
 public:
  std::optional<float> load() const {
    const uint64_t word = word_.load();
    if ((word & kPresent) == 0) return std::nullopt;
    return std::bit_cast<float>(static_cast<uint32_t>(word));
  }
  AtomicOptionalFloat& operator=(std::optional<float> value) {
    word_ = value ? kPresent | std::bit_cast<uint32_t>(*value) : 0;
    return *this;
  }

 private:
  static constexpr uint64_t kPresent = uint64_t{1} << 32;
  std::atomic<uint64_t> word_{0};
};

struct SegmentReadback {
  AtomicOptionalFloat referenceAltitude;
  std::atomic<int32_t> portAParity{-1};
  std::atomic<int32_t> portBParity{-1};
  std::atomic<int32_t> nmeaInterval{-1};
  std::atomic<int32_t> datumIndex{-1};
  std::atomic<int32_t> timingOutputOption{-1};
  std::atomic<int64_t> selfSurveyLimit{-1};  // a U32 on the wire
};

// The decoders never wait for the worker.
static_assert(std::atomic<uint64_t>::is_always_lock_free);
static_assert(std::atomic<int64_t>::is_always_lock_free);

}  // namespace zelkon
