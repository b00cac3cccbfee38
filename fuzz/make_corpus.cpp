// zelkon-fuzz-corpus DIR: the seed corpus of every fuzz target, made from the receiver emulator's
// traffic. A monitor runs against the emulator on an instant clock, opens every window (so every
// query is answered) and downloads the almanac and its position; what it received, the files it
// wrote and scripts over its windows become the seeds, one folder per target:
//   rx_dispatch, replay  the received stream cut at frame ends, and zelkon-sample's stream
//   almanac_file         the downloaded almanac file
//   position_file        the downloaded position file
//   port_settings        the port-settings texts the emulator prints for each of its ports
//   script_console       a script per window: every control set, clicked, typed into and expected
// and script_console.dict, the words of the scripts (commands, windows, controls, properties).
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/monitor.h"
#include "core/script_console.h"
#include "e2e/simulated_port.h"
#include "link/framing.h"
#include "model/inspect.h"
#include "platform/event_loop.h"
#include "platform/headless_dialogs.h"
#include "sample_stream.h"
#include "sim/gps_time.h"
#include "sim/sim_options.h"

namespace fs = std::filesystem;

namespace zelkon {
namespace {

class MemorySettings final : public SettingsStore {
 public:
  std::optional<std::string> Read(const std::string& name) override {
    return name == "NTP" ? std::optional<std::string>("0") : std::nullopt;
  }
  bool Write(const std::string&, const std::string&) override { return true; }
};

class FixedSystemTime final : public SystemTime {
 public:
  UtcTime NowUtc() override { return UtcTime{2024, 6, 16, 12, 0, 0}; }
  bool SetUtc(const UtcTime&) override { return false; }
};

struct Session {
  explicit Session(const sim::SimOptions& options)
      : port(clock, options,
             static_cast<double>(sim::SecondsOf({2024, 6, 16, 12, 0, 0}) + sim::kUtcOffset)) {
    app.state.ComPortNumber = 1;
    if (!app.MainFormCreate()) std::abort();
    app.Form_Main.Show();
  }

  void Run(const std::string& script) {
    std::ostringstream out;
    std::ostringstream err;
    if (RunScriptText(app, loop, dialogs, "corpus.zs", script, out, err) != kScriptPassed) {
      std::cerr << "zelkon-fuzz-corpus: the emulator session failed:\n" << err.str();
      std::exit(1);
    }
  }

  InstantClock clock;
  testing::SimulatedSerialPort port;
  std::ostringstream boxes;
  HeadlessDialogs dialogs{boxes};
  MemorySettings settings;
  FixedSystemTime systemTime;
  Monitor app{Platform{port, clock, dialogs, settings, systemTime}};
  EventLoop loop{clock, app.ui, app.Timers()};
};

void Write(const fs::path& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!file) {
    std::cerr << "zelkon-fuzz-corpus: cannot write " << path << "\n";
    std::exit(1);
  }
}

void Write(const fs::path& path, const std::vector<uint8_t>& bytes) {
  Write(path, std::string(bytes.begin(), bytes.end()));
}

std::string Read(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// The stream in pieces of about `size` bytes, each ending where a frame ends.
std::vector<std::vector<uint8_t>> CutAtFrameEnds(const std::vector<uint8_t>& stream, size_t size) {
  std::vector<size_t> ends;
  auto receiver = std::make_unique<PacketReceiver>();
  for (size_t done = 0; done < stream.size();) {
    const size_t piece = std::min<size_t>(kReadBufferSize, stream.size() - done);
    std::copy_n(stream.begin() + static_cast<std::ptrdiff_t>(done), piece, receiver->readBuffer);
    receiver->readPosition = 0;
    receiver->bytesRemaining = static_cast<uint32_t>(piece);
    FeedReadBuffer(*receiver, [&ends, done](const PacketReceiver& r) {
      ends.push_back(done + static_cast<size_t>(r.readPosition));
    });
    done += piece;
  }
  std::vector<std::vector<uint8_t>> pieces;
  size_t start = 0;
  for (size_t end : ends) {
    if (end - start < size && end != ends.back()) continue;
    pieces.emplace_back(stream.begin() + static_cast<std::ptrdiff_t>(start),
                        stream.begin() + static_cast<std::ptrdiff_t>(end));
    start = end;
  }
  return pieces;
}

std::string Numbered(const std::string& stem, size_t n) {
  char name[64];
  std::snprintf(name, sizeof name, "%s_%03zu", stem.c_str(), n);
  return name;
}

// A script over one window: every control as the operator reaches it, and what it shows.
std::string WindowScript(const Form& form, std::set<std::string>& words) {
  const std::string& window = form.ClassName();
  words.insert(window);
  std::string script = "open " + window + "\nwait 1\n";
  for (const Control* control : form.Controls()) {
    const std::string target = window + "." + control->Name();
    words.insert(control->Name());
    switch (control->Kind()) {
      case ControlKind::Edit:
        script += "set " + target + " 1.5\nkey " + target + " 2\nkey " + target + " enter\nkey " +
                  target + " tab\nexit " + target + "\n";
        break;
      case ControlKind::Memo:
        script += "set " + target + " \"a b\"\n";
        break;
      case ControlKind::CheckBox:
      case ControlKind::RadioButton:
        script += "set " + target + " true\nclick " + target + "\n";
        break;
      case ControlKind::ComboBox:
      case ControlKind::RadioGroup:
      case ControlKind::TabControl:
        script += "set " + target + " #0\n";
        break;
      case ControlKind::Button:
      case ControlKind::Label:
      case ControlKind::Panel:
        script += "click " + target + "\n";
        break;
      default:
        break;
    }
    for (const PropertyValue& property : PropertiesOf(*control)) {
      words.insert(property.name);
      script += "expect " + target + "." + property.name + " " + property.json + "\n";
    }
  }
  return script + "answer yes\nanswer file corpus.dat\ndump " + window + "\nexpect " + window +
         ".visible true\nclose " + window + "\n";
}

}  // namespace
}  // namespace zelkon

int main(int argc, char** argv) {
  using namespace zelkon;
  if (argc != 2) {
    std::cerr << "Usage: zelkon-fuzz-corpus DIR\n";
    return 2;
  }
  const fs::path dir = argv[1];
  for (const char* target : {"rx_dispatch", "replay", "almanac_file", "position_file",
                             "port_settings", "script_console"}) {
    fs::remove_all(dir / target);
    fs::create_directories(dir / target);
  }

  // The emulator's traffic for a monitor that opens every window, downloads the almanac and its
  // position, and sees fatal-error reports.
  sim::SimOptions options;
  options.seed = 11;
  options.acquireSeconds = 3;
  options.surveySeconds = 60;
  options.almanacSeconds = 10;
  options.breakText = "";
  options.fatalEvery = 7;
  Session session(options);
  std::string script = "wait 15\n";
  for (const Form* form : session.app.Forms()) {
    if (form != &session.app.Form_Main) script += "open " + form->ClassName() + "\nwait 1\n";
  }
  const fs::path almanac = dir / "almanac_file" / "emulator.dat";
  const fs::path position = dir / "position_file" / "emulator.pos";
  script += "answer file " + almanac.string() + "\nclick TForm_Main.ControlDownloadAlmanac\n";
  script += "answer file " + position.string() + "\nanswer ok\n" +
            "click TForm_Main.ControlDownloadPos\nwait 3\n";
  session.Run(script);

  const std::vector<uint8_t>& stream = session.port.delivered;
  size_t n = 0;
  for (const auto& piece : CutAtFrameEnds(stream, 1500)) {
    Write(dir / "rx_dispatch" / Numbered("emulator", n), piece);
    Write(dir / "replay" / Numbered("emulator", n), piece);
    ++n;
  }
  n = 0;
  for (const auto& piece : CutAtFrameEnds(SampleReportStream(10), 1500)) {
    Write(dir / "rx_dispatch" / Numbered("sample", n), piece);
    Write(dir / "replay" / Numbered("sample", n), piece);
    ++n;
  }
  if (!fs::exists(almanac) || !fs::exists(position)) {
    std::cerr << "zelkon-fuzz-corpus: the emulator session wrote no almanac or position file\n";
    return 1;
  }

  // The port-settings text of each port, as the emulator prints it at start-up.
  for (char port : {'A', 'B'}) {
    sim::SimOptions text = options;
    text.port = port;
    Session printer(text);
    printer.Run("wait 2\n");
    const std::string bytes(printer.port.delivered.begin(), printer.port.delivered.end());
    const size_t start = bytes.find("PR;");
    if (start == std::string::npos) {
      std::cerr << "zelkon-fuzz-corpus: the emulator printed no port-settings text\n";
      return 1;
    }
    Write(dir / "port_settings" / (std::string("port_") + port),
          bytes.substr(start, bytes.find('\n', start) + 1 - start));
  }

  std::set<std::string> words = {"open",   "close", "dump",   "quit",   "set",   "exit",
                                 "key",    "click", "answer", "file",   "wait",  "expect",
                                 "yes",    "no",    "ok",     "cancel", "abort", "retry",
                                 "ignore", "true",  "false",  "enter",  "tab",   "visible"};
  n = 0;
  for (const Form* form : session.app.Forms())
    Write(dir / "script_console" / Numbered("window", n++), WindowScript(*form, words));
  std::string dict;
  for (const std::string& word : words)
    dict += "\"" + word + "\"\n";
  Write(dir / "script_console.dict", dict);

  std::cout << "zelkon-fuzz-corpus: " << stream.size() << " bytes of emulator traffic, "
            << Read(almanac).size() << " bytes of almanac, seeds in " << dir.string() << "\n";
  return 0;
}
