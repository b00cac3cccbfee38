// Settings kept in an INI file, in the layout the Qt settings class uses for the same organisation
// and application on Linux (~/.config/Kestrin/Zelkon.conf, values in the [General] section), so
// that a headless run and the windowed program share them.
#pragma once

#include <string>

#include "platform/settings_store.h"

namespace zelkon {

class IniSettingsStore final : public SettingsStore {
 public:
  explicit IniSettingsStore(std::string path) : path_(std::move(path)) {}

  // $XDG_CONFIG_HOME/Kestrin/Zelkon.conf, or ~/.config/Kestrin/Zelkon.conf.
  static std::string DefaultPath();

  std::optional<std::string> Read(const std::string& name) override;
  // Rewrites the file through a temporary one, so a failed write never loses the other values.
  bool Write(const std::string& name, const std::string& text) override;

  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace zelkon
