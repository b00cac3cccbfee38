// The message log's text without the time stamp each line starts with, for tests that read what
// the lines say.
#pragma once

#include <regex>
#include <string>

namespace zelkon::testing {

inline std::string Unstamped(const std::string& log) {
  static const std::regex stamp(R"((^|\r\n)\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ )");
  return std::regex_replace(log, stamp, "$1");
}

}  // namespace zelkon::testing
