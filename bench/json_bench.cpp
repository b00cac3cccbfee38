// Throughput of zelkon-decode --json without its process: bytes of recording per second turned
// into the JSON lines, the way the tool does it (the stream fed through the receive state machine
// in reads of 8192 bytes, one ReportJson line per packet collected by the tool's own line writer
// in blocks of 64 KiB), the blocks counted instead of written. The recording is the sample traffic
// of a timing receiver (about 620 bytes a second of receiver time); `month_s` is what 30 days of
// that traffic take at this rate.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "decode_lines.h"
#include "link/framing.h"
#include "sample_stream.h"

namespace {

using namespace zelkon;

constexpr int kRecordedSeconds = 1700;
constexpr double kSecondsPerMonth = 30 * 86400.0;

// Counts the bytes of the blocks instead of writing them.
struct CountBytes {
  bool operator()(const char*, size_t count) const {
    *total += static_cast<int64_t>(count);
    return true;
  }
  int64_t* total;
};

void BM_JsonLines(benchmark::State& state) {
  static const std::vector<uint8_t> stream = SampleReportStream(kRecordedSeconds);
  int64_t written = 0;
  auto lines = std::make_unique<DecodeLines<CountBytes>>(CountBytes{&written});
  auto receiver = std::make_unique<PacketReceiver>();
  bool failed = false;
  auto print = [&](const PacketReceiver& r) { failed = failed || !lines->Json(r); };
  for (auto _ : state) {
    for (size_t offset = 0; offset < stream.size(); offset += kReadBufferSize) {
      const size_t n = std::min<size_t>(kReadBufferSize, stream.size() - offset);
      std::memcpy(receiver->readBuffer, stream.data() + offset, n);
      receiver->readPosition = 0;
      receiver->bytesRemaining = static_cast<uint32_t>(n);
      FeedReadBuffer(*receiver, print);
    }
    failed = failed || !lines->Flush();
  }
  if (failed || written == 0) state.SkipWithError("no JSON lines were written");
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(stream.size()));
  state.counters["json_bytes"] =
      benchmark::Counter(static_cast<double>(written), benchmark::Counter::kAvgIterations);
  // Seconds per iteration times the recordings in a month.
  state.counters["month_s"] = benchmark::Counter(
      kRecordedSeconds / kSecondsPerMonth,
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_JsonLines)->Unit(benchmark::kMillisecond);

}  // namespace
