// What the receiver emulator is asked to be: its identity, its time, its sky, and the faults it
// shows on demand.
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <variant>

namespace zelkon::sim {

// The receiver types the monitor tells apart by the production-parameters report.
enum class Model { T2K, Netrel, Harvane, Tpv2, Varnel, Id98 };

// GPS minus UTC in seconds, until a scheduled leap second.
inline constexpr int kUtcOffset = 18;

struct SimOptions {
  // Where to serve: a new pseudo-terminal, or a serial device.
  bool pty = false;
  std::string device;
  // With pty: a symbolic link to the pseudo-terminal, made at start and removed at the end, so
  // that a monitor finds a restarted emulator under the same name.
  std::string link;

  uint64_t seed = 1;
  // Simulated seconds per real second.
  double speed = 1.0;
  // GPS time at start, seconds since the GPS epoch; nothing: the PC clock now.
  std::optional<double> startGps;

  Model model = Model::T2K;
  // Answer the software-version query with the 96-byte form instead of the 10-byte one.
  bool longVersion = false;
  // The port of the receiver the program is connected to: 'A' or 'B'.
  char port = 'B';

  // Factory self-survey length, in fixes (one a second).
  uint32_t surveySeconds = 2000;
  // From power-on or reset to the first fix.
  int acquireSeconds = 5;
  // From the first fix until the receiver has the UTC parameters from the satellites (they come
  // every 12.5 minutes on the sky); 0: it holds them from power-on. Until then it knows no UTC
  // offset: its time reports carry an offset of 0 and GPS time, the primary UTC time report says
  // UTC is not available, and the UTC parameters are all 0. A cold reset forgets them again.
  int utcSeconds = 0;
  // From power-on or a reset that forgets it until the almanac is complete.
  int almanacSeconds = 30;
  // A leap second this many seconds after start; negative: none scheduled.
  double leapIn = -1;
  // Segments (bit per segment number) found corrupted and set to default at power-on.
  uint16_t corruptSegments = 0;
  // Segments (bit per segment number) whose saved settings a factory reset leaves as they are: a
  // receiver whose EEPROM keeps part of its configuration.
  uint16_t keepSegments = 0;

  // The port-settings text sent in answer to the first port-settings command; nothing: none.
  std::optional<std::string> breakText;

  // Faults.
  double silentAfter = -1;     // stop sending after this many seconds; negative: never
  double dropFraction = 0;     // of outgoing packets, dropped
  double corruptFraction = 0;  // of outgoing bytes, changed
  double fatalEvery = 0;       // seconds between fatal-error reports; 0: never
  double fatalAfterReset = 0;  // a fatal report this many seconds after each reset; 0: none
  // Queries never answered, as (id << 8) | sub-code (sub-code 0 for plain ids).
  std::set<uint16_t> refused;
};

// "0x21", "21", "8E-4A", "0x8E-0x4A" -> (id << 8) | sub-code; nothing when malformed.
std::optional<uint16_t> ParseQueryKey(const std::string& text);

struct ShowHelp {};
// The options of a command line, help, or an error message.
std::variant<SimOptions, ShowHelp, std::string> ParseSimOptions(int argc, char** argv);
const char* SimUsage();

}  // namespace zelkon::sim
