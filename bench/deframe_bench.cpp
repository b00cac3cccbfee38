// Throughput of the receive path: de-framing a recorded stream of timing reports the way the serial
// channel does it (8192-byte reads fed through the state machine), against a memchr scan of the
// same bytes for 0x10 as the memory-speed reference. After the normal report a one-line summary
// with both rates and their ratio goes to stderr.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "link/framing.h"
#include "sample_stream.h"

namespace {

// About 1 MB: 1700 one-second rounds of reports.
const std::vector<uint8_t>& Stream() {
  static const std::vector<uint8_t> stream = zelkon::SampleReportStream(1700);
  return stream;
}

void BM_Deframe(benchmark::State& state) {
  const std::vector<uint8_t>& stream = Stream();
  static zelkon::PacketReceiver receiver;
  int64_t packets = 0;
  auto count = [&packets](const zelkon::PacketReceiver&) { ++packets; };
  for (auto _ : state) {
    for (size_t offset = 0; offset < stream.size(); offset += zelkon::kReadBufferSize) {
      const size_t n = std::min<size_t>(zelkon::kReadBufferSize, stream.size() - offset);
      std::memcpy(receiver.readBuffer, stream.data() + offset, n);
      receiver.readPosition = 0;
      receiver.bytesRemaining = static_cast<uint32_t>(n);
      zelkon::FeedReadBuffer(receiver, count);
    }
    benchmark::DoNotOptimize(packets);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(stream.size()));
  state.counters["packets"] =
      benchmark::Counter(static_cast<double>(packets), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_Deframe);

void BM_MemchrReference(benchmark::State& state) {
  const std::vector<uint8_t>& stream = Stream();
  int64_t dles = 0;
  for (auto _ : state) {
    const uint8_t* p = stream.data();
    const uint8_t* const end = p + stream.size();
    while (const void* hit = std::memchr(p, zelkon::kDle, static_cast<size_t>(end - p))) {
      ++dles;
      p = static_cast<const uint8_t*>(hit) + 1;
    }
    benchmark::DoNotOptimize(dles);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(stream.size()));
}
BENCHMARK(BM_MemchrReference);

// Passes everything on to the display reporter and keeps the byte rate of each benchmark: the mean
// when repetitions produce one, else the last run.
class RateCapture : public benchmark::BenchmarkReporter {
 public:
  explicit RateCapture(benchmark::BenchmarkReporter* display) : display_(display) {}

  bool ReportContext(const Context& context) override { return display_->ReportContext(context); }

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.error_occurred) continue;
      const auto rate = run.counters.find("bytes_per_second");
      if (rate == run.counters.end()) continue;
      const std::string name = run.benchmark_name();
      Slot* slot = name.find("Deframe") != std::string::npos  ? &deframe_
                   : name.find("Memchr") != std::string::npos ? &memchr_
                                                              : nullptr;
      if (slot == nullptr) continue;
      const bool isMean = run.run_type == Run::RT_Aggregate && run.aggregate_name == "mean";
      if (isMean || (run.run_type == Run::RT_Iteration && !slot->fromMean)) {
        slot->bytesPerSecond = rate->second.value;
        slot->fromMean = isMean;
      }
    }
    display_->ReportRuns(runs);
  }

  void Finalize() override { display_->Finalize(); }

  void PrintSummary() const {
    const auto mbps = [](const Slot& s) { return s.bytesPerSecond / 1e6; };
    if (deframe_.bytesPerSecond > 0 && memchr_.bytesPerSecond > 0) {
      std::fprintf(stderr, "deframe %.1f MB/s, memchr %.1f MB/s, ratio %.3f\n", mbps(deframe_),
                   mbps(memchr_), deframe_.bytesPerSecond / memchr_.bytesPerSecond);
    } else if (deframe_.bytesPerSecond > 0) {
      std::fprintf(stderr, "deframe %.1f MB/s (memchr reference not run)\n", mbps(deframe_));
    } else if (memchr_.bytesPerSecond > 0) {
      std::fprintf(stderr, "memchr %.1f MB/s (deframe not run)\n", mbps(memchr_));
    }
  }

 private:
  struct Slot {
    double bytesPerSecond = 0;
    bool fromMean = false;
  };

  benchmark::BenchmarkReporter* display_;
  Slot deframe_;
  Slot memchr_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  // The library's own choice of console, JSON or CSV output (--benchmark_format), and its colours.
  RateCapture capture(benchmark::CreateDefaultDisplayReporter());
  benchmark::RunSpecifiedBenchmarks(&capture);
  benchmark::Shutdown();
  capture.PrintSummary();
  return 0;
}
