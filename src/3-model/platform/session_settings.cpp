#include "platform/session_settings.h"

namespace zelkon {

std::optional<std::string> SessionSettings::Read(const std::string& name) {
  const auto written = written_.find(name);
  if (written == written_.end()) return stored_.Read(name);
  if (written->second.empty()) return std::nullopt;
  return written->second;
}

bool SessionSettings::Write(const std::string& name, const std::string& text) {
  written_[name] = text;
  return true;
}

}  // namespace zelkon
