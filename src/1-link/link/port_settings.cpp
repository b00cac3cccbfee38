#include "link/port_settings.h"

#include <array>
#include <optional>
#include <vector>

namespace zelkon {
namespace {

struct BaudEntry {
  const char* text;
  int rate;
};

constexpr std::array<BaudEntry, 12> kBauds = {{{"0000", 9600},
                                               {"110", 110},
                                               {"300", 300},
                                               {"600", 600},
                                               {"1200", 1200},
                                               {"2400", 2400},
                                               {"4800", 4800},
                                               {"9600", 9600},
                                               {"19200", 19200},
                                               {"38400", 38400},
                                               {"57600", 57600},
                                               {"115200", 115200}}};

constexpr std::array<const char*, 4> kDataBitsTexts = {"5", "6", "7", "8"};
constexpr std::array<const char*, 3> kParityTexts = {"None", "Odd", "Even"};
constexpr std::array<const char*, 2> kStopBitsTexts = {"1", "2"};

template <size_t N>
const char* TextOf(const std::array<const char*, N>& table, uint8_t code) {
  return code < N ? table[code] : "?";
}

// Leading decimal digits of a field, after optional blanks, as "%u" reads them.
std::optional<unsigned long> ReadUnsigned(std::string_view field) {
  size_t i = 0;
  while (i < field.size() && (field[i] == ' ' || field[i] == '\t'))
    ++i;
  if (i == field.size() || field[i] < '0' || field[i] > '9') return std::nullopt;
  unsigned long value = 0;
  for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i) {
    if (value > 1000000UL) return std::nullopt;  // far beyond any rate; no overflow
    value = value * 10 + static_cast<unsigned long>(field[i] - '0');
  }
  return value;
}

std::optional<uint8_t> BaudCodeForRate(unsigned long rate) {
  // 57600 and 115200 are not read from the text: a receiver that prints them is left at 9600.
  for (uint8_t code = 1; code <= 9; ++code) {
    if (static_cast<unsigned long>(kBauds[code].rate) == rate) return code;
  }
  return std::nullopt;
}

}  // namespace

PortSettings DefaultPortSettings(uint8_t portIndex) {
  return PortSettings{portIndex, 7, 3, 1, 0, kProtocolRxbin, kProtocolRxbin};
}

const char* BaudText(uint8_t code) { return code < kBauds.size() ? kBauds[code].text : "?"; }
const char* DataBitsText(uint8_t code) { return TextOf(kDataBitsTexts, code); }
const char* ParityText(uint8_t code) { return TextOf(kParityTexts, code); }
const char* StopBitsText(uint8_t code) { return TextOf(kStopBitsTexts, code); }

LineSettings LineSettingsFor(const PortSettings& s) {
  LineSettings line;
  line.baudRate = s.baudCode < kBauds.size() ? kBauds[s.baudCode].rate : 9600;
  line.dataBits = s.dataBitsCode <= 3 ? 5 + s.dataBitsCode : 8;
  line.parity = s.parityCode <= 2 ? static_cast<Parity>(s.parityCode) : Parity::None;
  line.stopBits = s.stopBitsCode == 1 ? 2 : 1;
  return line;
}

std::string PortSettingsText(std::string_view portLabel, const PortSettings& s) {
  std::string text(portLabel);
  text += ' ';
  text += BaudText(s.baudCode);
  text += ", ";
  text += DataBitsText(s.dataBitsCode);
  text += '-';
  text += ParityText(s.parityCode);
  text += '-';
  text += StopBitsText(s.stopBitsCode);
  return text;
}

void ParseBreakResponse(std::string_view text, PortSettings& settings) {
  const size_t semicolon = text.find(';');
  if (semicolon == std::string_view::npos) return;

  // Fields that are followed by a ','; the piece after the last ',' is not one of them.
  std::vector<std::string_view> fields;
  size_t start = semicolon + 1;
  for (size_t comma = text.find(',', start); comma != std::string_view::npos;
       comma = text.find(',', start)) {
    fields.push_back(text.substr(start, comma - start));
    start = comma + 1;
  }

  // F2: port index.
  if (fields.size() < 2 || fields[1].empty() || (fields[1][0] != '0' && fields[1][0] != '1')) {
    return;
  }
  settings.portIndex = static_cast<uint8_t>(fields[1][0] - '0');

  // F4: baud rate.
  if (fields.size() < 4) return;
  const auto rate = ReadUnsigned(fields[3]);
  const auto baudCode = rate ? BaudCodeForRate(*rate) : std::nullopt;
  if (!baudCode) return;
  settings.baudCode = *baudCode;

  // F5: data bits.
  if (fields.size() < 5) return;
  const auto bits = ReadUnsigned(fields[4]);
  if (bits == 7UL) {
    settings.dataBitsCode = 2;
  } else if (bits == 8UL) {
    settings.dataBitsCode = 3;
  } else {
    return;
  }

  // F6: stop bits.
  if (fields.size() < 6) return;
  const auto stops = ReadUnsigned(fields[5]);
  if (stops == 1UL) {
    settings.stopBitsCode = 0;
  } else if (stops == 2UL) {
    settings.stopBitsCode = 1;
  } else {
    return;
  }

  // F7: parity, by its first character.
  if (fields.size() < 7 || fields[6].empty()) return;
  switch (fields[6][0]) {
    case 'E':
      settings.parityCode = 2;
      break;
    case 'N':
      settings.parityCode = 0;
      break;
    case 'O':
      settings.parityCode = 1;
      break;
    default:
      break;
  }
}

}  // namespace zelkon
