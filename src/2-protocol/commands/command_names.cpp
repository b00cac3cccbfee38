#include "commands/command_names.h"

#include "text/printf.h"

namespace zelkon {
namespace {

// A command by its id, its sub-code for 0x8E (or -1), and the lengths of its query form (id
// included; 0: none).
struct CommandName {
  int id;
  int sub;
  int queryLength;
  const char* name;
};

constexpr CommandName kCommands[] = {
    {0x1E, -1, 0, "reset"},
    {0x1F, -1, 1, "software version"},
    {0x20, -1, 2, "almanac"},
    {0x21, -1, 1, "time"},
    {0x24, -1, 1, "satellite selection"},
    {0x25, -1, 0, "warm reset"},
    {0x26, -1, 1, "health"},
    {0x29, -1, 1, "almanac health"},
    {0x2A, -1, 1, "2D altitude"},
    {0x2E, -1, 0, "initial time"},
    {0x2F, -1, 1, "UTC parameters"},
    {0x31, -1, 0, "initial ECEF position"},
    {0x32, -1, 0, "initial LLA position"},
    {0x34, -1, 0, "one-satellite mode"},
    {0x35, -1, 1, "I/O options"},
    {0x38, -1, 4, "system data"},
    {0x3A, -1, 2, "raw measurements"},
    {0x3B, -1, 2, "ephemeris status"},
    {0x3C, -1, 2, "tracking status"},
    {0x3F, -1, 2, "segment status"},
    {0x7A, -1, 2, "NMEA output"},
    {0xBB, -1, 2, "receiver configuration"},
    {0xBC, -1, 2, "serial port settings"},
    {0x8E, 0x0B, 2, "comprehensive time output"},
    {0x8E, 0x0C, 0, "product type"},
    {0x8E, 0x15, 2, "datum"},
    {0x8E, 0x26, 0, "save segments"},
    {0x8E, 0x41, 2, "manufacturing parameters"},
    {0x8E, 0x42, 2, "production parameters"},
    {0x8E, 0x45, 0, "revert segment"},
    {0x8E, 0x4A, 2, "PPS characteristics"},
    {0x8E, 0x4B, 2, "self-survey limit"},
    {0x8E, 0x4D, 2, "port B automatic outputs"},
    {0x8E, 0x4E, 2, "PPS output option"},
    {0x8E, 0x4F, 2, "PPS width"},
    {0x8E, 0xA4, 0, "test mode"},
    {0x8E, 0xA5, 2, "packet broadcast mask"},
    {0x8E, 0xA6, 0, "restart self-survey"},
    {0x8E, 0xA9, 2, "self-survey parameters"},
    {0x8E, 0xAB, 3, "timing packets"},
    {0x8E, 0xAD, 2, "primary UTC time output"},
    {0x8E, 0xAF, 0, "SI code"},
    {0x8E, -1, 0, "superpacket command"},
    {-1, -1, 0, "command"},
};

}  // namespace

std::optional<std::string> CommandDescription(std::span<const uint8_t> packet) {
  if (packet.empty()) return std::nullopt;
  const int id = packet[0];
  const int sub = id == 0x8E && packet.size() > 1 ? packet[1] : -1;
  const CommandName* found = nullptr;
  for (const CommandName& c : kCommands) {
    if ((c.id == id || c.id == -1) && (c.sub == sub || c.sub == -1)) {
      found = &c;
      break;
    }
  }
  if (found->queryLength != 0 && static_cast<int>(packet.size()) == found->queryLength) {
    return std::nullopt;
  }
  std::string text = found->name;
  text += sub >= 0 ? Printf(" (0x%02X-%02X):", id, sub) : Printf(" (0x%02X):", id);
  for (const uint8_t b : packet)
    text += Printf(" %02X", b);
  return text;
}

}  // namespace zelkon
