// The port-settings text parser on arbitrary text, as the start-up hands it over (up to the first
// zero byte, at most 200 characters) and whole. Every code it sets must be one the serial-port
// command can carry; a code it does not set keeps its value.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "link/port_settings.h"

namespace {

// Codes no text sets: a field the parser leaves alone keeps one of these.
constexpr zelkon::PortSettings kUntouched{0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};

void Parse(std::string_view text) {
  zelkon::PortSettings s = kUntouched;
  zelkon::ParseBreakResponse(text, s);
  const auto valid = [](uint8_t code, uint8_t lowest, uint8_t highest) {
    return code == 0xEE || (code >= lowest && code <= highest);
  };
  if (!valid(s.portIndex, 0, 1) || !valid(s.baudCode, 1, 9) || !valid(s.dataBitsCode, 2, 3) ||
      !valid(s.stopBitsCode, 0, 1) || !valid(s.parityCode, 0, 2) ||
      s.inputProtocol != kUntouched.inputProtocol ||
      s.outputProtocol != kUntouched.outputProtocol) {
    std::abort();
  }
  // Fields are taken in order: a later one is never set without the earlier ones.
  if (s.baudCode != 0xEE && s.portIndex == 0xEE) std::abort();
  if (s.dataBitsCode != 0xEE && s.baudCode == 0xEE) std::abort();
  if (s.stopBitsCode != 0xEE && s.dataBitsCode == 0xEE) std::abort();
  if (s.parityCode != 0xEE && s.stopBitsCode == 0xEE) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view whole(reinterpret_cast<const char*>(data), size);
  Parse(whole.substr(0, std::min<size_t>(whole.find('\0'), 200)));
  Parse(whole);
  return 0;
}
