// Programs of the machine the tests run: whether one is installed where the PATH finds it, for the
// tests that run a tool of another package and are skipped without it, and running one on a text.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>

#include "support/temp_path.h"

namespace zelkon::testing {

inline bool ProgramOnPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return false;
  std::string_view rest = path;
  while (!rest.empty()) {
    const size_t colon = rest.find(':');
    const std::string_view folder = rest.substr(0, colon);
    const std::string candidate = (folder.empty() ? "." : std::string(folder)) + "/" + name;
    if (::access(candidate.c_str(), X_OK) == 0) return true;
    if (colon == std::string_view::npos) break;
    rest.remove_prefix(colon + 1);
  }
  return false;
}

struct ToolRun {
  int status = -1;     // -1 when it could not start or a signal ended it
  std::string output;  // its standard output and error
};

// Runs the shell command `command` with `input` on its standard input, as `promtool check metrics`
// checks a page or `iconv -f UTF-8 -t UTF-8` a text.
inline ToolRun RunTool(const std::string& command, const std::string& input) {
  const std::string path = TestTempPath(".in");
  std::ofstream(path, std::ios::binary) << input;
  ToolRun result;
  std::FILE* pipe = ::popen((command + " < '" + path + "' 2>&1").c_str(), "r");
  if (pipe != nullptr) {
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
      result.output += buffer;
    const int status = ::pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::remove(path.c_str());
  return result;
}

}  // namespace zelkon::testing
