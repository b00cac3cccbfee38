// The configuration values the segment check of the reset diagnostics reads back. The decoders
// store them on the user-interface thread; the check's worker thread reads them. Each is written
// whole. The counts and codes are never negative, so -1 means "not known yet"; an altitude can be
// any value (below 0 m at the Dead Sea or in a mine), so "not known yet" is an empty one there.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>

namespace zelkon {

struct SegmentReadback {
  std::atomic<std::optional<float>> referenceAltitude{std::nullopt};
  std::atomic<int32_t> portAParity{-1};
  std::atomic<int32_t> portBParity{-1};
  std::atomic<int32_t> nmeaInterval{-1};
  std::atomic<int32_t> datumIndex{-1};
  std::atomic<int32_t> timingOutputOption{-1};
  std::atomic<int64_t> selfSurveyLimit{-1};  // a U32 on the wire
};

// The decoders never wait for the worker.
static_assert(std::atomic<std::optional<float>>::is_always_lock_free);
static_assert(std::atomic<int64_t>::is_always_lock_free);

}  // namespace zelkon
