// Programs of the machine the tests run: whether one is installed where the PATH finds it, for the
// tests that run a tool of another package and are skipped without it.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <string>
#include <string_view>

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

}  // namespace zelkon::testing
