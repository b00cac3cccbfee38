#include "sim/sim_options.h"

#include <cstdlib>
#include <string_view>
#include <vector>

#include "sim/gps_time.h"

namespace zelkon::sim {
namespace {

std::optional<double> ParseNumber(const std::string& text) {
  if (text.empty()) return std::nullopt;
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (end == nullptr || *end != '\0') return std::nullopt;
  return value;
}

std::optional<uint64_t> ParseUnsigned(const std::string& text) {
  if (text.empty() || text[0] == '-') return std::nullopt;
  char* end = nullptr;
  const unsigned long long value = std::strtoull(text.c_str(), &end, 0);
  if (end == nullptr || *end != '\0') return std::nullopt;
  return value;
}

std::optional<Model> ParseModel(const std::string& text) {
  if (text == "t2k") return Model::T2K;
  if (text == "netrel") return Model::Netrel;
  if (text == "harvane") return Model::Harvane;
  if (text == "tpv2") return Model::Tpv2;
  if (text == "varnel") return Model::Varnel;
  if (text == "id98") return Model::Id98;
  return std::nullopt;
}

std::optional<int> ParseHexByte(std::string text) {
  if (text.size() > 2 && (text.rfind("0x", 0) == 0 || text.rfind("0X", 0) == 0)) {
    text = text.substr(2);
  }
  if (text.empty() || text.size() > 2) return std::nullopt;
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 16);
  if (end == nullptr || *end != '\0') return std::nullopt;
  return static_cast<int>(value);
}

}  // namespace

std::optional<uint16_t> ParseQueryKey(const std::string& text) {
  const size_t dash = text.find('-');
  const auto id = ParseHexByte(text.substr(0, dash));
  if (!id) return std::nullopt;
  int sub = 0;
  if (dash != std::string::npos) {
    const auto parsed = ParseHexByte(text.substr(dash + 1));
    if (!parsed) return std::nullopt;
    sub = *parsed;
  }
  return static_cast<uint16_t>((*id << 8) | sub);
}

const char* SimUsage() {
  return R"(Usage: zelkon-sim (--pty | --device PATH) [OPTION]...
A simulated GPS timing receiver that speaks RXBIN.

Where to serve:
  --pty                 create a pseudo-terminal, print the device path the monitor should open
                        (one line on standard output) and serve on it
  --link PATH           with --pty: also make PATH a symbolic link to the pseudo-terminal
                        (replacing one already there; removed at the end), a name that stays
                        the same when the emulator is ended and started again
  --device PATH         serve on a serial device (for a null-modem cable)

The receiver:
  --model NAME          what the production report says: t2k (default), netrel, harvane, tpv2,
                        varnel, or id98 (machine identification number 98)
  --long-version        answer the version query with the 96-byte form
  --port A|B            the receiver port the monitor is connected to (default B)
  --seed N              seed of every simulated value (default 1): one seed, one stream
  --speed X             simulated seconds per real second (default 1)
  --start TIME          GPS time at start as UTC "YYYY-MM-DDTHH:MM:SS" (default: the PC clock)
  --survey-seconds N    factory self-survey length in seconds (default 2000)
  --acquire-seconds N   seconds from power-on or reset to the first fix (default 5)
  --utc-seconds N       a receiver without UTC parameters: they come N seconds after the first
                        fix (and again after a cold reset); until then no UTC offset is known
                        (default 0: held from power-on)
  --almanac-seconds N   seconds until a forgotten almanac is complete again (default 30)
  --leap-in SECONDS     schedule a leap second this long after start
  --corrupt-segments M  segments (bit mask) reported as corrupted at power-on
  --keep-segment N      a factory reset leaves the saved settings of segment N (repeatable)
  --break-text[=TEXT]   answer the first port-settings command with a port-settings text
                        (default: "PR;B,1,RXBIN,9600,8,1,O," for the receiver's own settings)

Faults, for tests:
  --silent-after S      stop sending anything S seconds after start
  --drop P              drop each outgoing packet with probability P (0..1)
  --corrupt P           change each outgoing byte with probability P (0..1)
  --fatal-every S       send a fatal-error report every S seconds (errors and exceptions in turn)
  --fatal-after-reset S send a fatal report S seconds after every reset command
  --refuse ID           never answer this query: 21, 0x3C, 8E-4A ... (repeatable)

  --help                show this text
The emulator runs until interrupted (SIGINT or SIGTERM) and then exits cleanly.
)";
}

std::variant<SimOptions, ShowHelp, std::string> ParseSimOptions(int argc, char** argv) {
  SimOptions options;
  const std::vector<std::string> args(argv + 1, argv + argc);
  for (size_t i = 0; i < args.size(); ++i) {
    std::string arg = args[i];
    std::string value;
    bool hasValue = false;
    if (const size_t equals = arg.find('=');
        arg.rfind("--", 0) == 0 && equals != std::string::npos) {
      value = arg.substr(equals + 1);
      arg = arg.substr(0, equals);
      hasValue = true;
    }
    auto next = [&](std::string& out) {
      if (hasValue) {
        out = value;
        return true;
      }
      if (i + 1 >= args.size()) return false;
      out = args[++i];
      return true;
    };
    auto need = [&](std::string& out) -> std::optional<std::string> {
      if (!next(out)) return "option " + arg + " needs a value";
      return std::nullopt;
    };
    std::string text;
    if (arg == "--help" || arg == "-h") return ShowHelp{};
    if (arg == "--pty") {
      options.pty = true;
    } else if (arg == "--device") {
      if (auto error = need(options.device)) return *error;
    } else if (arg == "--link") {
      if (auto error = need(options.link)) return *error;
    } else if (arg == "--long-version") {
      options.longVersion = true;
    } else if (arg == "--break-text") {
      options.breakText = hasValue ? value : std::string();
    } else if (arg == "--model") {
      if (auto error = need(text)) return *error;
      const auto model = ParseModel(text);
      if (!model) return "unknown model '" + text + "' (t2k, netrel, harvane, tpv2, varnel, id98)";
      options.model = *model;
    } else if (arg == "--port") {
      if (auto error = need(text)) return *error;
      if (text != "A" && text != "B") return "--port takes A or B";
      options.port = text[0];
    } else if (arg == "--start") {
      if (auto error = need(text)) return *error;
      const auto calendar = ParseCalendar(text);
      if (!calendar) return "--start takes a UTC time as YYYY-MM-DDTHH:MM:SS";
      options.startGps = static_cast<double>(SecondsOf(*calendar) + kUtcOffset);
    } else if (arg == "--refuse") {
      if (auto error = need(text)) return *error;
      const auto key = ParseQueryKey(text);
      if (!key) return "--refuse takes a query id such as 21 or 8E-4A, not '" + text + "'";
      options.refused.insert(*key);
    } else if (arg == "--seed" || arg == "--survey-seconds" || arg == "--acquire-seconds" ||
               arg == "--utc-seconds" || arg == "--almanac-seconds" ||
               arg == "--corrupt-segments" || arg == "--keep-segment") {
      if (auto error = need(text)) return *error;
      const auto number = ParseUnsigned(text);
      if (!number) return arg + " takes a whole number, not '" + text + "'";
      if (arg == "--seed") options.seed = *number;
      if (arg == "--survey-seconds") options.surveySeconds = static_cast<uint32_t>(*number);
      if (arg == "--acquire-seconds") options.acquireSeconds = static_cast<int>(*number);
      if (arg == "--utc-seconds") options.utcSeconds = static_cast<int>(*number);
      if (arg == "--almanac-seconds") options.almanacSeconds = static_cast<int>(*number);
      if (arg == "--corrupt-segments") options.corruptSegments = static_cast<uint16_t>(*number);
      if (arg == "--keep-segment") {
        if (*number > 15) return "--keep-segment takes a segment number from 0 to 15";
        options.keepSegments |= static_cast<uint16_t>(1u << *number);
      }
    } else if (arg == "--speed" || arg == "--leap-in" || arg == "--silent-after" ||
               arg == "--drop" || arg == "--corrupt" || arg == "--fatal-every" ||
               arg == "--fatal-after-reset") {
      if (auto error = need(text)) return *error;
      const auto number = ParseNumber(text);
      if (!number) return arg + " takes a number, not '" + text + "'";
      if (arg == "--speed") {
        if (*number <= 0) return "--speed must be above 0";
        options.speed = *number;
      }
      if (arg == "--leap-in") options.leapIn = *number;
      if (arg == "--silent-after") options.silentAfter = *number;
      if (arg == "--fatal-every") options.fatalEvery = *number;
      if (arg == "--fatal-after-reset") options.fatalAfterReset = *number;
      if (arg == "--drop" || arg == "--corrupt") {
        if (*number < 0 || *number > 1) return arg + " takes a fraction from 0 to 1";
        (arg == "--drop" ? options.dropFraction : options.corruptFraction) = *number;
      }
    } else {
      return "unknown option '" + args[i] + "'";
    }
  }
  if (options.pty == !options.device.empty()) return "give either --pty or --device PATH";
  if (!options.link.empty() && !options.pty) return "--link needs --pty";
  return options;
}

}  // namespace zelkon::sim
