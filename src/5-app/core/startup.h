// Program entry: the command line, the choice of port, and what a run without windows prints.
#pragma once

#include <cstddef>
#include <optional>
#include <ostream>
#include <string>
#include <variant>
#include <vector>

#include "platform/time_feed.h"

namespace zelkon {

class SettingsStore;
class TForm_Comm;

// Where the metrics endpoint listens: a numeric IPv4 address, or an IPv6 one (kept without the
// brackets of the command line), and a port (0: any free port).
struct ListenAddress {
  std::string address = "127.0.0.1";
  int port = 0;
};

struct LaunchOptions {
  // -d (any argument whose second character is 'd'): engineering mode.
  bool engineeringMode = false;
  // -c<n> (the first argument whose second character is 'c'): the port number; 0 when the text
  // after the two characters is not a number.
  std::optional<int> comPort;
  // --device PATH: any serial device, in place of a port number.
  std::string devicePath;
  // --demo: the built-in receiver emulator.
  bool demo = false;
  // --headless: no window; one line of JSON per poll round on standard output.
  bool headless = false;
  // --screenshot FILE [--after SECONDS]: the main window to a PNG after that long, then exit;
  // --screenshot-dir DIR: every window.
  std::string screenshotFile;
  std::string screenshotDir;
  double screenshotAfter = 3.0;
  // --script FILE: run the script console on FILE ("-": standard input) without windows.
  std::string scriptPath;
  // --replay FILE: a recording fed to the monitor in place of a receiver.
  std::string replayPath;
  // --speed X|max: seconds of recording per second of the run; ReplaySerialPort::kAsFastAsPossible
  // for max.
  double replaySpeed = 1.0;
  // --ntp yes|no: whether the receiver feeds an NTP server, stored as the "NTP" setting before the
  // run starts (yes: the timing packets are not polled).
  std::optional<bool> ntp;
  // --metrics-listen [ADDR:]PORT: serve the Prometheus metrics there (a run without windows).
  std::optional<ListenAddress> metricsListen;
  // --refclock sock:PATH|shm:UNIT (repeatable): the time daemon's reference clocks the receiver's
  // time is handed to.
  std::vector<TimeFeedAddress> referenceClocks;
  bool showHelp = false;
  bool showVersion = false;

  // A port (or the emulator, or a recording) was chosen on the command line.
  bool HasPort() const {
    return comPort.has_value() || !devicePath.empty() || demo || !replayPath.empty();
  }
};

// The options of a command line, or an error message. Long options ("--...") never take part in
// the -d and -c scans, nor do their values.
std::variant<LaunchOptions, std::string> ParseCommandLine(int argc, char** argv);
const char* LaunchUsage();

// Serial devices present on this system, for the port chooser: the stable names of USB
// adapters (/dev/serial/by-id/...), then /dev/ttyUSB*, /dev/ttyACM*, sorted.
std::vector<std::string> ListSerialDevices();

// The chooser's entry that stands for the built-in emulator.
inline constexpr const char* kEmulatorEntry = "Receiver emulator (demo)";

// The port a run opens: a number, a device path (or a remote port name), or the emulator (which
// gives a device path once started).
struct PortChoice {
  int number = 0;
  std::string devicePath;
  bool demo = false;
};

// The remote ports last chosen in the chooser, most recent first, kept in one setting: their
// normalised names separated by a blank, which a valid name never holds.
inline constexpr const char* kRemotePortsSetting = "RemotePorts";
inline constexpr size_t kRememberedRemotePorts = 5;

std::vector<std::string> ReadRemotePorts(SettingsStore& settings);

// The reference clocks the windowed program feeds when its command line names none: the setting
// "ReferenceClocks", their names separated by blanks (none by default). A name that is not one is
// said on `err` and left out.
inline constexpr const char* kReferenceClocksSetting = "ReferenceClocks";
std::vector<TimeFeedAddress> StoredReferenceClocks(SettingsStore& settings, std::ostream& err);

// The chooser's entries after the numbered ports: the devices found, the remote ports remembered,
// the emulator.
std::vector<std::string> ChooserEntries(std::vector<std::string> devices, SettingsStore& settings);

// What OK in the chooser chooses. A remote port typed in Edit_Remote goes before the list; a
// malformed one is refused with the reason in Label_Error, and nothing is chosen. A remote port
// chosen becomes the first one remembered.
std::optional<PortChoice> AcceptChooser(TForm_Comm& chooser, SettingsStore& settings);

}  // namespace zelkon
