// The persistent settings of the program: string values under a key path.
#pragma once

#include <optional>
#include <string>

namespace zelkon {

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // Nothing when the key or value is missing or empty, or the store cannot be read.
  virtual std::optional<std::string> Read(const std::string& key, const std::string& name) = 0;
  // Creates the key when missing; false on any failure.
  virtual bool Write(const std::string& key, const std::string& name, const std::string& text) = 0;
};

}  // namespace zelkon
