// A recording of arbitrary bytes replayed as `zelkon --replay FILE --speed 60` replays it: the
// replay port's scan for the recording's seconds paces the bytes into a fresh monitor, which reads
// them through its channel, the dispatcher and the decoders until the recording has ended.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "core/replay.h"
#include "fuzz_rig.h"
#include "platform/replay_serial_port.h"

namespace {

// A minute of recording per second: paced, so the scan for seconds runs, and quick.
constexpr double kSpeed = 60;
// Far more than a recording of the largest input takes at that speed.
constexpr int64_t kMostMs = 3'600'000;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static zelkon::fuzz::MemoryFile recording;
  recording.Fill(data, size);

  zelkon::InstantClock clock;
  zelkon::fuzz::NullStream notices;
  zelkon::ReplaySerialPort port(clock, kSpeed, notices);
  zelkon::fuzz::NullStream boxes;
  zelkon::HeadlessDialogs dialogs(boxes);
  zelkon::fuzz::MemorySettingsStore settings;
  settings.Write("NTP", "0");
  zelkon::fuzz::FixedSystemTime time;
  zelkon::Monitor app{zelkon::Platform{port, clock, dialogs, settings, time}};
  zelkon::EventLoop loop{clock, app.ui, app.Timers()};

  app.state.DevicePath = recording.Path();
  zelkon::SetUpReplay(app, port, notices);
  if (!app.MainFormCreate()) std::abort();
  app.Form_Main.Show();
  if (!loop.RunUntil([&port] { return port.Finished(); }, kMostMs)) std::abort();
  app.ui.Drain();
  return 0;
}
