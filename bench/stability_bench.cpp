// Clock stability of a long phase series: the overlapping Allan, modified Allan and time deviations
// at every octave averaging time, for a day and for thirty days of one-second PPS offsets (white
// frequency noise with a little white phase noise on top).

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "analysis/stability.h"

namespace {

std::vector<double> PhaseSeries(int64_t seconds) {
  std::mt19937_64 random(3);
  std::normal_distribution<double> normal(0.0, 1.0);
  std::vector<double> phase(static_cast<size_t>(seconds));
  double x = 0;
  for (double& sample : phase) {
    x += 1e-11 * normal(random);
    sample = x + 1e-9 * normal(random);
  }
  return phase;
}

void BM_ClockStability(benchmark::State& state) {
  const std::vector<double> phase = PhaseSeries(state.range(0));
  for (auto _ : state) {
    benchmark::DoNotOptimize(zelkon::ClockStability(phase));
  }
  state.counters["samples"] = static_cast<double>(phase.size());
}
BENCHMARK(BM_ClockStability)->Arg(86400)->Arg(30 * 86400)->Unit(benchmark::kMillisecond);

}  // namespace
