#include "platform/ini_settings.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace zelkon {
namespace {

constexpr const char* kSection = "[General]";

std::vector<std::string> ReadLines(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

bool IsSection(const std::string& line) { return !line.empty() && line.front() == '['; }

// The value of `name` in the [General] section: "name=value", blanks around '=' allowed.
std::optional<std::string> ValueOf(const std::string& line, const std::string& name) {
  const size_t equals = line.find('=');
  if (equals == std::string::npos) return std::nullopt;
  std::string key = line.substr(0, equals);
  while (!key.empty() && key.back() == ' ')
    key.pop_back();
  if (key != name) return std::nullopt;
  size_t start = equals + 1;
  while (start < line.size() && line[start] == ' ')
    ++start;
  std::string value = line.substr(start);
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
    value = value.substr(1, value.size() - 2);
  }
  return value;
}

}  // namespace

std::string IniSettingsStore::DefaultPath() {
  std::string base;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && *xdg != '\0') {
    base = xdg;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
    base = std::string(home) + "/.config";
  } else {
    base = ".";
  }
  return base + "/Kestrin/Zelkon.conf";
}

std::optional<std::string> IniSettingsStore::Read(const std::string& name) {
  bool inGeneral = false;
  for (const std::string& line : ReadLines(path_)) {
    if (IsSection(line)) {
      inGeneral = line == kSection;
    } else if (inGeneral) {
      if (auto value = ValueOf(line, name)) {
        if (value->empty()) return std::nullopt;
        return value;
      }
    }
  }
  return std::nullopt;
}

bool IniSettingsStore::Write(const std::string& name, const std::string& text) {
  std::vector<std::string> lines = ReadLines(path_);
  const std::string entry = name + "=" + text;

  bool inGeneral = false;
  bool written = false;
  size_t generalEnd = lines.size();
  bool haveGeneral = false;
  for (size_t i = 0; i < lines.size() && !written; ++i) {
    if (IsSection(lines[i])) {
      if (inGeneral) generalEnd = i;
      inGeneral = lines[i] == kSection;
      haveGeneral = haveGeneral || inGeneral;
    } else if (inGeneral && ValueOf(lines[i], name)) {
      lines[i] = entry;
      written = true;
    }
  }
  if (!written) {
    if (haveGeneral) {
      // After the last line of the section that is not blank.
      size_t at = generalEnd;
      while (at > 0 && lines[at - 1].empty())
        --at;
      lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), entry);
    } else {
      if (!lines.empty() && !lines.back().empty()) lines.emplace_back();
      lines.emplace_back(kSection);
      lines.push_back(entry);
    }
  }

  std::error_code error;
  const std::filesystem::path path(path_);
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), error);
  const std::string temporary = path_ + ".tmp";
  {
    std::ofstream out(temporary, std::ios::trunc);
    for (const std::string& line : lines)
      out << line << '\n';
    out.flush();
    if (!out) {
      std::remove(temporary.c_str());
      return false;
    }
  }
  return std::rename(temporary.c_str(), path_.c_str()) == 0;
}

}  // namespace zelkon
