#include "transfer/recording.h"

#include "link/framing.h"

namespace zelkon {

void RecordPacket(AppState& state, uint8_t id, const uint8_t* payload, int length) {
  if (state.RecordingFile == nullptr || length < 0 || length > kMaxPayload) return;
  // Large enough for the longest payload with every byte doubled, so no packet is ever cut.
  uint8_t record[kMaxFrameLength];
  int n = 0;
  record[n++] = kDle;
  record[n++] = id;  // written as it is, not doubled
  for (int i = 0; i < length; ++i) {
    if (payload[i] == kDle) record[n++] = kDle;
    record[n++] = payload[i];
  }
  record[n++] = kDle;
  record[n++] = kEtx;
  std::fwrite(record, 1, static_cast<size_t>(n), state.RecordingFile);

  if (++state.RecordingFlushCount > kRecordingFlushEvery) {
    std::fflush(state.RecordingFile);
    state.RecordingFlushCount = 0;
  }
}

}  // namespace zelkon
