// Script text of arbitrary bytes run by the script console on a fresh monitor, as `zelkon --script`
// runs a file: checked whole, then run line by line, driving every window. Two things a script may
// do are bounded here and nothing else is changed: every file a script names is one scratch file
// (so no input reads or writes a file of its own choosing), and its sound waits add up to at most
// 10 s of the instant clock (so a `wait 86400` costs no more than a short one).
#include <unistd.h>

#include <cctype>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/script_console.h"
#include "fuzz_rig.h"

namespace {

constexpr double kLongestWaitSeconds = 2;
constexpr double kAllWaitsSeconds = 10;

bool Blank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

// The first word of `text` (after blanks, as the console reads words); `text` moves past it.
std::string_view Word(std::string_view& text) {
  while (!text.empty() && Blank(text.front()))
    text.remove_prefix(1);
  size_t end = 0;
  while (end < text.size() && !Blank(text[end]))
    ++end;
  const std::string_view word = text.substr(0, end);
  text.remove_prefix(end);
  return word;
}

bool OnlyBlanks(std::string_view text) {
  for (char c : text) {
    if (!Blank(c)) return false;
  }
  return true;
}

const std::string& ScratchPath() {
  static const std::string path = [] {
    const char* tmp = std::getenv("TMPDIR");
    std::string dir =
        std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/zelkon-fuzz-XXXXXX";
    if (::mkdtemp(dir.data()) == nullptr) {
      std::perror("mkdtemp");
      std::abort();
    }
    return dir + "/answer";
  }();
  return path;
}

// The scratch file and its folder go when the fuzzer ends.
void RemoveScratch() {
  const std::string& path = ScratchPath();
  ::unlink(path.c_str());
  ::rmdir(path.substr(0, path.rfind('/')).c_str());
}

// The script with its file answers pointed at the scratch file and its waits bounded.
std::string Bounded(std::string_view text) {
  std::string script;
  script.reserve(text.size() + 1);
  double waited = 0;
  while (!text.empty()) {
    const size_t newline = text.find('\n');
    const std::string_view line = text.substr(0, newline);
    text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);

    std::string_view rest = line;
    const std::string_view verb = Word(rest);
    std::string_view afterFirst = rest;
    const std::string_view first = Word(afterFirst);
    if (verb == "answer" && first == "file" && !OnlyBlanks(afterFirst)) {
      script.append("answer file ").append(ScratchPath()).append("\n");
      continue;
    }
    if (verb == "wait") {
      const std::string seconds(first);
      char* end = nullptr;
      const double value = std::strtod(seconds.c_str(), &end);
      if (!seconds.empty() && *end == '\0' && std::isfinite(value) && value > 0 && value <= 86400) {
        const double allowed =
            std::max(0.0, std::min({value, kLongestWaitSeconds, kAllWaitsSeconds - waited}));
        waited += allowed;
        script.append("wait ").append(std::to_string(allowed)).append(afterFirst).append("\n");
        continue;
      }
    }
    script.append(line).append("\n");
  }
  return script;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Registered after the path is made, so that the path outlives the removal.
  static const bool removedAtExit = !ScratchPath().empty() && std::atexit(RemoveScratch) == 0;
  (void)removedAtExit;
  const std::string script = Bounded(std::string_view(reinterpret_cast<const char*>(data), size));
  ::unlink(ScratchPath().c_str());

  zelkon::fuzz::PlayedSerialPort port;
  zelkon::fuzz::FuzzMonitor monitor(port);
  zelkon::Monitor& app = monitor.app;
  app.state.ComPortNumber = 1;
  if (!app.MainFormCreate()) std::abort();
  app.Form_Main.Show();
  zelkon::fuzz::NullStream out;
  zelkon::fuzz::NullStream err;
  zelkon::RunScriptText(app, monitor.loop, monitor.dialogs, "fuzz.zs", script, out, err);
  return 0;
}
