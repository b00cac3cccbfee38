// Throughput of a replay (zelkon --replay FILE --headless --speed max): bytes of recording per
// second from the file through the serial channel, the dispatcher and the decoders into the window
// models, with the poll loop and its timers on a clock whose waits take no time, as the headless
// replay runs. The recording is the sample traffic of a timing receiver (about 620 bytes a second
// of receiver time); `day_s` is what a day of that traffic takes at this rate.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "core/monitor.h"
#include "core/replay.h"
#include "platform/event_loop.h"
#include "platform/headless_dialogs.h"
#include "platform/replay_serial_port.h"
#include "platform/system_time.h"
#include "sample_stream.h"

namespace {

using namespace zelkon;

constexpr int kRecordedSeconds = 1700;
constexpr double kSecondsPerDay = 86400;

// The receiver does not feed an NTP server: the timing packets are polled and shown.
class NotFeedingNtp final : public SettingsStore {
 public:
  std::optional<std::string> Read(const std::string& name) override {
    if (name == "NTP") return "0";
    return std::nullopt;
  }
  bool Write(const std::string&, const std::string&) override { return true; }
};

// The recording, written once and removed at the end of the program.
struct RecordingFile {
  RecordingFile()
      : path((std::filesystem::temp_directory_path() / "zelkon-replay-bench.rxb").string()) {
    const std::vector<uint8_t> stream = SampleReportStream(kRecordedSeconds);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(stream.data()),
               static_cast<std::streamsize>(stream.size()));
  }
  ~RecordingFile() { std::remove(path.c_str()); }
  std::string path;
};

const std::string& RecordingPath() {
  static const RecordingFile file;
  return file.path;
}

// A monitor on the recording, its port set up and its poll loop about to start.
struct Replay {
  explicit Replay(const std::string& path) {
    app.state.DevicePath = path;
    SetUpReplay(app, port, notices);
    opened = app.MainFormCreate();
  }

  std::ostringstream notices;
  InstantClock clock;
  ReplaySerialPort port{clock, ReplaySerialPort::kAsFastAsPossible, notices};
  HeadlessDialogs dialogs{notices};
  NotFeedingNtp settings;
  PosixSystemTime systemTime;
  Monitor app{Platform{port, clock, dialogs, settings, systemTime}};
  EventLoop loop{clock, app.ui, app.Timers()};
  bool opened = false;
};

void BM_ReplayIntoWindows(benchmark::State& state) {
  const std::string& path = RecordingPath();
  const auto bytes = static_cast<int64_t>(std::filesystem::file_size(path));
  for (auto _ : state) {
    state.PauseTiming();
    auto replay = std::make_unique<Replay>(path);
    if (!replay->opened) {
      state.SkipWithError("the recording cannot be opened");
      break;
    }
    state.ResumeTiming();

    const ReplaySerialPort& port = replay->port;
    replay->loop.RunUntil([&port] { return port.Finished(); },
                          static_cast<int64_t>(kSecondsPerDay * 1000));

    state.PauseTiming();
    if (!port.Finished()) state.SkipWithError("the replay did not reach the end of the recording");
    benchmark::DoNotOptimize(replay->app.Form_Main.Panel_Time.Caption());
    replay.reset();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(state.iterations() * bytes);
  // Seconds per iteration times the recordings in a day.
  state.counters["day_s"] = benchmark::Counter(
      kRecordedSeconds / kSecondsPerDay,
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ReplayIntoWindows)->Unit(benchmark::kMillisecond);

}  // namespace
