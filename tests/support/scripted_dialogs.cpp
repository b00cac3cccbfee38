#include "support/scripted_dialogs.h"

#include <gtest/gtest.h>

namespace zelkon::testing {

zelkon::Answer ScriptedDialogs::MessageBox(const std::string& text, const std::string& caption,
                                           Buttons buttons, Icon icon) {
  return MessageBoxWithDetail(text, "", caption, buttons, icon);
}

zelkon::Answer ScriptedDialogs::MessageBoxWithDetail(const std::string& text,
                                                     const std::string& detail,
                                                     const std::string& caption, Buttons buttons,
                                                     Icon icon) {
  boxes_.push_back({text, caption, buttons, icon, detail});
  if (whileOpen) {
    const Shown shown = boxes_.back();  // boxes opened meanwhile may move the list
    whileOpen(shown);
  }
  if (answers_.empty()) {
    ADD_FAILURE() << "unexpected message box: " << caption << ": " << text;
    switch (buttons) {
      case Buttons::Ok:
        return zelkon::Answer::Ok;
      case Buttons::OkCancel:
        return zelkon::Answer::Cancel;
      case Buttons::YesNo:
        return zelkon::Answer::No;
    }
  }
  const zelkon::Answer answer = answers_.front();
  answers_.pop_front();
  return answer;
}

std::optional<std::string> ScriptedDialogs::ChooseFile(const FileDialogRequest& request) {
  fileRequests_.push_back(request);
  if (files_.empty()) {
    ADD_FAILURE() << "unexpected file dialog";
    return std::nullopt;
  }
  auto path = files_.front();
  files_.pop_front();
  return path;
}

std::optional<std::string> MemorySettings::Read(const std::string& name) {
  const auto it = values.find(name);
  if (it == values.end() || it->second.empty()) return std::nullopt;
  return it->second;
}

bool MemorySettings::Write(const std::string& name, const std::string& text) {
  if (failWrites) return false;
  values[name] = text;
  return true;
}

bool FakeSystemTime::SetUtc(const UtcTime& time) {
  setCalls.push_back(time);
  if (!allowSet) return false;
  now = time;
  return true;
}

}  // namespace zelkon::testing
