// Serial line settings as the receiver's port-settings command and report carry them, their texts,
// and the parser of the port-settings text a receiver may print at start-up.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zelkon {

// Seven codes: port index, baud-rate code, data-bits code, parity code, stop-bits code, input and
// output protocol. The codes are those of the serial-port command 0xBC.
struct PortSettings {
  uint8_t portIndex = 0;
  uint8_t baudCode = 0;      // 0 none (9600 on the PC), 1 = 110 ... 11 = 115200
  uint8_t dataBitsCode = 0;  // 0 = 5, 1 = 6, 2 = 7, 3 = 8 bits
  uint8_t parityCode = 0;    // 0 none, 1 odd, 2 even
  uint8_t stopBitsCode = 0;  // 0 = 1 stop bit, 1 = 2 stop bits
  uint8_t inputProtocol = 0;
  uint8_t outputProtocol = 0;

  bool operator==(const PortSettings&) const = default;
};

enum class Parity : uint8_t { None, Odd, Even };

// What the PC side of the link is programmed with.
struct LineSettings {
  int baudRate = 9600;
  int dataBits = 8;
  Parity parity = Parity::Odd;
  int stopBits = 1;

  bool operator==(const LineSettings&) const = default;
};

inline constexpr uint8_t kProtocolRxbin = 2;

// Port i at 9600 baud, 8 data bits, odd parity, 1 stop bit, RXBIN in and out.
PortSettings DefaultPortSettings(uint8_t portIndex);

// Texts of the codes ("0000", "110" ... "115200"; "5" ... "8"; "None", "Odd", "Even"; "1", "2").
// A code outside its table gives "?".
const char* BaudText(uint8_t code);
const char* DataBitsText(uint8_t code);
const char* ParityText(uint8_t code);
const char* StopBitsText(uint8_t code);

// The line settings the PC port takes for these codes. Baud code 0, and any code outside the table,
// programs 9600; other out-of-range codes fall back to 8 bits, no parity, 1 stop bit.
LineSettings LineSettingsFor(const PortSettings& settings);

// "<port> <baud>, <bits>-<parity>-<stop>", for example "COM1 9600, 8-Odd-1".
std::string PortSettingsText(std::string_view portLabel, const PortSettings& settings);

// Reads the port index, baud, data-bits, stop-bits and parity codes from a port-settings text.
// `text` ends at its first zero byte and holds at most 200 characters. After the first ';' the
// fields F1, F2, ... are separated by ','; each field used must be followed by a ','. Parsing stops
// at the first field that is missing or does not fit; what was accepted before stays in `settings`.
void ParseBreakResponse(std::string_view text, PortSettings& settings);

}  // namespace zelkon
