#include "core/startup.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string_view>

#include <arpa/inet.h>

#include "link/remote_address.h"
#include "main/comm_form.h"
#include "platform/replay_serial_port.h"
#include "platform/settings_store.h"

namespace zelkon {
namespace {

constexpr char kRemotePortSeparator = ' ';

// [ADDR:]PORT with ADDR a numeric IPv4 address or a bracketed IPv6 one; nothing when the text is
// not that.
std::optional<ListenAddress> ParseListenAddress(std::string_view text) {
  ListenAddress listen;
  std::string_view port = text;
  if (!text.empty() && text.front() == '[') {
    const size_t close = text.find("]:");
    if (close == std::string_view::npos) return std::nullopt;
    listen.address = std::string(text.substr(1, close - 1));
    port = text.substr(close + 2);
    in6_addr ipv6;
    if (inet_pton(AF_INET6, listen.address.c_str(), &ipv6) != 1) return std::nullopt;
  } else if (const size_t colon = text.rfind(':'); colon != std::string_view::npos) {
    listen.address = std::string(text.substr(0, colon));
    port = text.substr(colon + 1);
    in_addr ipv4;
    if (inet_pton(AF_INET, listen.address.c_str(), &ipv4) != 1) return std::nullopt;
  }
  if (port.empty() || port.size() > 5) return std::nullopt;
  listen.port = 0;
  for (char c : port) {
    if (c < '0' || c > '9') return std::nullopt;
    listen.port = listen.port * 10 + (c - '0');
  }
  if (listen.port > 65535) return std::nullopt;
  return listen;
}

}  // namespace

const char* LaunchUsage() {
  return R"(Usage: zelkon [-cN] [-d] [--device PATH | --demo | --replay FILE] [--headless] [OPTION]...
Monitor and configuration tool for GPS timing receivers on a serial port.

  -cN                   open serial port N (/dev/ttyS<N-1>); without a port the chooser is shown
  -d                    engineering mode: the diagnostics and test windows and keys
  --device PATH         open any serial device, e.g. /dev/ttyUSB0, or a serial port on another
                        machine: tcp://HOST:PORT (raw bytes) or rfc2217://HOST:PORT (Telnet with
                        RFC 2217: the line settings reach the remote device); HOST a name, an IPv4
                        address or [IPv6]
  --service-instance NAME
                        the port of a service instance: a remote port name as above, or a
                        device under /dev (ttyUSB0, serial/by-id/...)
  --demo                run on the built-in receiver emulator
  --replay FILE         feed a recording (an RXBIN byte stream) to the monitor as if a receiver
                        sent it; commands go nowhere. The windows keep the state the recording
                        ends in; a headless replay prints it and ends there
  --speed X|max         replay X seconds of recording per second (default 1), paced by the
                        receiver's once-a-second timing reports; max: as fast as it goes
  --headless            no window: after every poll round print the main window's state as one
                        line of JSON on standard output; message boxes go to standard error and are
                        answered with the button that sends nothing
  --script FILE         run without windows and drive them with the commands in FILE (- for
                        standard input), one per line: open, close, set, exit, key, click,
                        answer, wait, dump, expect, quit (see the README); standard output holds
                        only what dump prints; exit status 1 when an expect fails, 2 for a mistake
                        in the script
  --ntp yes|no          store whether the receiver feeds an NTP server (the question the program
                        asks otherwise); a run without windows that has no stored answer uses
                        "no" for that run only and stores nothing
  --metrics-listen [ADDR:]PORT
                        serve the receiver's values and the packet counts as Prometheus
                        metrics at http://ADDR:PORT/metrics, with or without windows (ADDR a
                        numeric IPv4 address or [IPv6], default 127.0.0.1; port 0: any free port,
                        the address is printed on standard error)
  --refclock sock:PATH|shm:UNIT
                        hand the receiver's time to the PC's time daemon, once a second while the
                        receiver vouches for it: chrony's SOCK reference clock at PATH, or the NTP
                        shared-memory segment UNIT (0..255); repeatable
  --screenshot FILE     render the main window to a PNG after --after SECONDS (default 3), exit
  --screenshot-dir DIR  render every window to DIR/<window class>.png, exit
  --help                show this text
  --version             show the version
)";
}

std::variant<LaunchOptions, std::string> ParseCommandLine(int argc, char** argv) {
  LaunchOptions options;
  bool speedGiven = false;
  std::vector<std::string_view> shortArgs;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg.size() < 2 || arg.substr(0, 2) != "--") {
      shortArgs.push_back(arg);
      continue;
    }
    auto value = [&](std::string& out) -> bool {
      if (i + 1 >= argc) return false;
      out = argv[++i];
      return true;
    };
    std::string text;
    if (arg == "--help") {
      options.showHelp = true;
    } else if (arg == "--version") {
      options.showVersion = true;
    } else if (arg == "--demo") {
      options.demo = true;
    } else if (arg == "--headless") {
      options.headless = true;
    } else if (arg == "--device" || arg == "--service-instance") {
      if (!value(options.devicePath)) return std::string(arg) + " needs a device path";
      if (IsRemotePortName(options.devicePath)) {
        const auto address = ParseRemoteAddress(options.devicePath);
        if (const auto* why = std::get_if<std::string>(&address)) {
          return std::string(arg) + " " + options.devicePath + ": " + *why;
        }
        options.devicePath = RemotePortName(std::get<RemoteAddress>(address));
      } else if (arg == "--service-instance") {
        options.devicePath = "/dev/" + options.devicePath;
      }
    } else if (arg == "--replay") {
      if (!value(options.replayPath)) return std::string("--replay needs a file name");
    } else if (arg == "--speed") {
      if (!value(text)) return std::string("--speed needs a number or max");
      if (text == "max") {
        options.replaySpeed = ReplaySerialPort::kAsFastAsPossible;
      } else {
        char* end = nullptr;
        options.replaySpeed = std::strtod(text.c_str(), &end);
        if (end == text.c_str() || *end != '\0' || !std::isfinite(options.replaySpeed) ||
            options.replaySpeed <= 0) {
          return "--speed needs a number above 0 or max, not '" + text + "'";
        }
      }
      speedGiven = true;
    } else if (arg == "--script") {
      if (!value(options.scriptPath)) return std::string("--script needs a file name or -");
      options.headless = true;
    } else if (arg == "--ntp") {
      if (!value(text) || (text != "yes" && text != "no")) {
        return std::string("--ntp needs yes or no");
      }
      options.ntp = text == "yes";
    } else if (arg == "--metrics-listen") {
      if (!value(text)) return std::string("--metrics-listen needs [ADDR:]PORT");
      options.metricsListen = ParseListenAddress(text);
      if (!options.metricsListen) {
        return "--metrics-listen needs [ADDR:]PORT, a numeric IPv4 address or [IPv6] and a port "
               "from 0 to 65535, not '" +
               text + "'";
      }
    } else if (arg == "--refclock") {
      if (!value(text)) return std::string("--refclock needs sock:PATH or shm:UNIT");
      const auto address = ParseTimeFeedName(text);
      if (const auto* why = std::get_if<std::string>(&address)) {
        return "--refclock " + text + ": " + *why;
      }
      options.referenceClocks.push_back(std::get<TimeFeedAddress>(address));
    } else if (arg == "--screenshot") {
      if (!value(options.screenshotFile)) return std::string("--screenshot needs a file name");
    } else if (arg == "--screenshot-dir") {
      if (!value(options.screenshotDir)) return std::string("--screenshot-dir needs a folder");
    } else if (arg == "--after") {
      if (!value(text)) return std::string("--after needs a number of seconds");
      char* end = nullptr;
      options.screenshotAfter = std::strtod(text.c_str(), &end);
      if (end == text.c_str() || *end != '\0' || options.screenshotAfter < 0) {
        return "--after needs a number of seconds, not '" + text + "'";
      }
    } else {
      return "unknown option '" + std::string(arg) + "'";
    }
  }

  // The first argument whose second character is 'd' switches on engineering mode.
  for (std::string_view arg : shortArgs) {
    if (arg.size() >= 2 && arg[1] == 'd') {
      options.engineeringMode = true;
      break;
    }
  }
  // The first argument whose second character is 'c' gives the port number, read as "%d".
  for (std::string_view arg : shortArgs) {
    if (arg.size() >= 2 && arg[1] == 'c') {
      int port = 0;
      const std::string rest(arg.substr(2));
      if (std::sscanf(rest.c_str(), "%d", &port) != 1) port = 0;
      options.comPort = port;
      break;
    }
  }

  const int choices = (options.comPort ? 1 : 0) + (options.devicePath.empty() ? 0 : 1) +
                      (options.demo ? 1 : 0) + (options.replayPath.empty() ? 0 : 1);
  if (choices > 1) return std::string("give only one of -c, --device, --demo and --replay");
  if (speedGiven && options.replayPath.empty()) return std::string("--speed needs --replay");
  if (!options.referenceClocks.empty() && !options.replayPath.empty()) {
    return std::string(
        "--refclock cannot go with --replay: a recording says nothing of the PC's clock now");
  }
  return options;
}

std::vector<std::string> ListSerialDevices() {
  namespace fs = std::filesystem;
  std::vector<std::string> stable;
  std::vector<std::string> plain;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator("/dev/serial/by-id", error)) {
    stable.push_back(entry.path().string());
  }
  for (const auto& entry : fs::directory_iterator("/dev", error)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("ttyUSB", 0) == 0 || name.rfind("ttyACM", 0) == 0) {
      plain.push_back(entry.path().string());
    }
  }
  std::sort(stable.begin(), stable.end());
  std::sort(plain.begin(), plain.end());
  stable.insert(stable.end(), plain.begin(), plain.end());
  return stable;
}

std::vector<std::string> ReadRemotePorts(SettingsStore& settings) {
  std::vector<std::string> names;
  const std::string stored = settings.Read(kRemotePortsSetting).value_or("");
  size_t start = 0;
  while (start < stored.size() && names.size() < kRememberedRemotePorts) {
    size_t end = stored.find(kRemotePortSeparator, start);
    if (end == std::string::npos) end = stored.size();
    // An entry edited by hand into something that cannot be opened is not offered.
    const auto parsed = ParseRemoteAddress(std::string_view(stored).substr(start, end - start));
    if (const auto* address = std::get_if<RemoteAddress>(&parsed)) {
      const std::string name = RemotePortName(*address);
      if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
    }
    start = end + 1;
  }
  return names;
}

std::vector<std::string> ChooserEntries(std::vector<std::string> devices, SettingsStore& settings) {
  const std::vector<std::string> remote = ReadRemotePorts(settings);
  devices.insert(devices.end(), remote.begin(), remote.end());
  devices.emplace_back(kEmulatorEntry);
  return devices;
}

std::optional<PortChoice> AcceptChooser(TForm_Comm& chooser, SettingsStore& settings) {
  PortChoice choice;
  std::string_view typed = chooser.Edit_Remote.Text();
  const size_t first = typed.find_first_not_of(" \t");
  typed = first == typed.npos ? std::string_view() : typed.substr(first);
  typed = typed.substr(0, typed.find_last_not_of(" \t") + 1);
  const int index = chooser.ComboBox_Com.ItemIndex();
  if (!typed.empty()) {
    const auto parsed = ParseRemoteAddress(typed);
    if (const auto* why = std::get_if<std::string>(&parsed)) {
      chooser.Label_Error.SetCaption("Remote port: " + *why);
      return std::nullopt;
    }
    choice.devicePath = RemotePortName(std::get<RemoteAddress>(parsed));
  } else if (index < TForm_Comm::kNumberedPorts) {
    choice.number = index + 1;
  } else if (chooser.ComboBox_Com.Text() == kEmulatorEntry) {
    choice.demo = true;
  } else {
    choice.devicePath = chooser.ComboBox_Com.Text();
  }
  chooser.Label_Error.SetCaption("");

  if (IsRemotePortName(choice.devicePath)) {
    std::string stored = choice.devicePath;
    size_t kept = 1;
    for (const std::string& name : ReadRemotePorts(settings)) {
      if (kept == kRememberedRemotePorts) break;
      if (name == choice.devicePath) continue;
      stored += kRemotePortSeparator + name;
      ++kept;
    }
    // A store that cannot be written forgets the port, and the run opens it all the same.
    settings.Write(kRemotePortsSetting, stored);
  }
  return choice;
}

std::vector<TimeFeedAddress> StoredReferenceClocks(SettingsStore& settings, std::ostream& err) {
  std::vector<TimeFeedAddress> clocks;
  std::istringstream names(settings.Read(kReferenceClocksSetting).value_or(""));
  std::string name;
  while (names >> name) {
    const auto address = ParseTimeFeedName(name);
    if (const auto* why = std::get_if<std::string>(&address)) {
      err << "zelkon: setting " << kReferenceClocksSetting << ": " << name << ": " << *why << "\n";
    } else {
      clocks.push_back(std::get<TimeFeedAddress>(address));
    }
  }
  return clocks;
}

}  // namespace zelkon
