// Test doubles for the dialogs, the settings store and the system clock.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/dialogs.h"
#include "platform/settings_store.h"
#include "platform/system_time.h"

namespace zelkon::testing {

// Answers message boxes and file dialogs from a script and keeps what was shown. A box with no
// scripted answer fails the test and gets the answer that sends nothing (No or Cancel).
class ScriptedDialogs final : public Dialogs {
 public:
  struct Shown {
    std::string text;
    std::string caption;
    Buttons buttons;
    Icon icon;
    std::string detail;  // the second text of a box that has one
  };

  void Answer(zelkon::Answer answer) { answers_.push_back(answer); }
  void ChooseFile(std::optional<std::string> path) { files_.push_back(std::move(path)); }

  const std::vector<Shown>& Boxes() const { return boxes_; }

  // Runs while a message box is open, before it is answered, as the event loop of a real modal box
  // would: a test keeps the program going under an open question here.
  std::function<void(const Shown& box)> whileOpen;
  const std::vector<FileDialogRequest>& FileRequests() const { return fileRequests_; }

  zelkon::Answer MessageBox(const std::string& text, const std::string& caption, Buttons buttons,
                            Icon icon) override;
  zelkon::Answer MessageBoxWithDetail(const std::string& text, const std::string& detail,
                                      const std::string& caption, Buttons buttons,
                                      Icon icon) override;
  std::optional<std::string> ChooseFile(const FileDialogRequest& request) override;

 private:
  std::deque<zelkon::Answer> answers_;
  std::deque<std::optional<std::string>> files_;
  std::vector<Shown> boxes_;
  std::vector<FileDialogRequest> fileRequests_;
};

class MemorySettings final : public SettingsStore {
 public:
  std::optional<std::string> Read(const std::string& name) override;
  bool Write(const std::string& name, const std::string& text) override;
  std::map<std::string, std::string> values;
  bool failWrites = false;
};

class FakeSystemTime final : public SystemTime {
 public:
  UtcTime NowUtc() override { return now; }
  bool SetUtc(const UtcTime& time) override;
  UtcTime now;
  bool allowSet = true;
  std::vector<UtcTime> setCalls;
};

}  // namespace zelkon::testing
