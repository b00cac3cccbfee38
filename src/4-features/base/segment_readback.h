// The configuration values the segment check of the reset diagnostics reads back. The decoders
// store them on the user-interface thread; the check's worker thread reads them. Each is one
// word, written whole; a negative value means "not known yet".
#pragma once

#include <atomic>
#include <cstdint>

namespace zelkon {

struct SegmentReadback {
  std::atomic<float> referenceAltitude{-1.0f};
  std::atomic<int32_t> portAParity{-1};
  std::atomic<int32_t> portBParity{-1};
  std::atomic<int32_t> nmeaInterval{-1};
  std::atomic<int32_t> datumIndex{-1};
  std::atomic<int32_t> timingOutputOption{-1};
  std::atomic<int32_t> selfSurveyLimit{-1};
};

}  // namespace zelkon
