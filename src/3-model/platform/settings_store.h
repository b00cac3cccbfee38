// The persistent settings of the program: named string values in the program's own store
// (organisation "Kestrin", application "Zelkon").
#pragma once

#include <optional>
#include <string>

namespace zelkon {

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // Nothing when the value is missing or empty, or the store cannot be read.
  virtual std::optional<std::string> Read(const std::string& name) = 0;
  // Creates the store when missing; false on any failure.
  virtual bool Write(const std::string& name, const std::string& text) = 0;
};

}  // namespace zelkon
