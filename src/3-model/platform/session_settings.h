// Settings read from a store but written only for the rest of the run: a run nobody attends (one
// without windows, or a screenshot run) never stores an answer nobody gave.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "platform/settings_store.h"

namespace zelkon {

class SessionSettings final : public SettingsStore {
 public:
  explicit SessionSettings(SettingsStore& stored) : stored_(stored) {}

  // What this run wrote, else what the store holds.
  std::optional<std::string> Read(const std::string& name) override;
  // Kept until the end of the run; the store is left as it was.
  bool Write(const std::string& name, const std::string& text) override;

 private:
  SettingsStore& stored_;
  std::map<std::string, std::string> written_;
};

}  // namespace zelkon
