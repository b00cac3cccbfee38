// The receive path on arbitrary bytes: the framing's receive state machine, byte by byte and in its
// buffered form, must agree on every packet; and a fresh monitor reads the bytes through its
// channel, the dispatcher and every decoder, as its poll loop does, then runs what the decoders
// left for after the packet loop.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "fuzz_rig.h"
#include "link/framing.h"

namespace {

using zelkon::PacketReceiver;

struct Packet {
  uint8_t id;
  std::vector<uint8_t> payload;
  bool operator==(const Packet&) const = default;
};

Packet PacketOf(const PacketReceiver& r) {
  return {r.Id(), std::vector<uint8_t>(r.Payload().begin(), r.Payload().end())};
}

// The packets of the one-byte state machine and of the buffered one, fed in reads of up to 100
// bytes, must be the same.
void CompareStateMachines(const uint8_t* data, size_t size) {
  static const auto single = std::make_unique<PacketReceiver>();
  static const auto buffered = std::make_unique<PacketReceiver>();
  *single = PacketReceiver{};
  *buffered = PacketReceiver{};

  std::vector<Packet> bySingle;
  for (size_t i = 0; i < size; ++i) {
    single->readPosition = 0;
    single->bytesRemaining = 1;
    single->readBuffer[0] = data[i];
    if (zelkon::FeedByte(*single) == 1) bySingle.push_back(PacketOf(*single));
  }

  std::vector<Packet> byBuffer;
  constexpr size_t kRead = 100;
  for (size_t at = 0; at < size; at += kRead) {
    const size_t n = std::min(kRead, size - at);
    std::copy_n(data + at, n, buffered->readBuffer);
    buffered->readPosition = 0;
    buffered->bytesRemaining = static_cast<uint32_t>(n);
    zelkon::FeedReadBuffer(
        *buffered, [&byBuffer](const PacketReceiver& r) { byBuffer.push_back(PacketOf(r)); });
  }
  if (bySingle != byBuffer) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CompareStateMachines(data, size);

  zelkon::fuzz::PlayedSerialPort port;
  zelkon::fuzz::FuzzMonitor monitor(port);
  zelkon::Monitor& app = monitor.app;
  // Engineering mode: the fatal-error reports are decoded too.
  app.state.EngineeringMode = true;
  app.state.ComPortNumber = 1;
  if (!app.MainFormCreate()) std::abort();
  port.Play(data, size);
  while (!port.Exhausted()) {
    app.ReadAndDispatchReports();
    app.ui.Drain();
  }
  return 0;
}
