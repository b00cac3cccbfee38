#include "core/script_console.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <utility>
#include <vector>

#include "core/monitor.h"
#include "core/output.h"
#include "link/system_error.h"
#include "model/inspect.h"
#include "platform/event_loop.h"
#include "platform/headless_dialogs.h"
#include "text/json.h"

namespace zelkon {
namespace {

constexpr char kKeyEnter = 13;
// The longest `wait` a script may ask for: a day.
constexpr double kLongestWaitSeconds = 86400;
// Slices of a wait, so that an interrupt ends it soon.
constexpr int64_t kWaitSliceMs = 200;
// How long the console keeps the program running between looks at a terminal or pipe.
constexpr int64_t kInputPollMs = 50;

std::string_view Trim(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
    text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
    text.remove_suffix(1);
  return text;
}

// The first word of `text`, and `text` after it.
std::string_view TakeWord(std::string_view& text) {
  text = Trim(text);
  size_t end = 0;
  while (end < text.size() && !std::isspace(static_cast<unsigned char>(text[end])))
    ++end;
  const std::string_view word = text.substr(0, end);
  text = Trim(text.substr(end));
  return word;
}

// The rest of a line as a value: surrounding blanks and one pair of surrounding double quotes go.
std::string Unquote(std::string_view text) {
  text = Trim(text);
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
    text = text.substr(1, text.size() - 2);
  }
  return std::string(text);
}

std::string Quoted(std::string_view text) { return "'" + std::string(text) + "'"; }

std::optional<long> ReadInteger(const std::string& text) {
  if (text.empty()) return std::nullopt;
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (*end != '\0' || errno != 0) return std::nullopt;
  return value;
}

std::optional<bool> ReadBoolean(std::string_view text) {
  if (text == "true") return true;
  if (text == "false") return false;
  return std::nullopt;
}

// A JSON list as written in a script, with the blanks between its elements removed.
std::string CompactJson(std::string_view text) {
  std::string compact;
  bool inString = false;
  bool escaped = false;
  for (char c : text) {
    if (inString) {
      compact += c;
      if (escaped) {
        escaped = false;
      } else if (c == '\\') {
        escaped = true;
      } else if (c == '"') {
        inString = false;
      }
    } else if (!std::isspace(static_cast<unsigned char>(c))) {
      compact += c;
      if (c == '"') inString = true;
    }
  }
  return compact;
}

std::string JsonListOf(const std::vector<std::string>& items) {
  std::string json = "[";
  for (size_t i = 0; i < items.size(); ++i)
    json += (i > 0 ? ", " : "") + JsonString(items[i]);
  return json + "]";
}

// The items of a control chosen by item, or nothing for other kinds.
const std::vector<std::string>* ItemsOf(const Control& control) {
  switch (control.Kind()) {
    case ControlKind::ComboBox:
      return &static_cast<const ComboBox&>(control).Items();
    case ControlKind::RadioGroup:
      return &static_cast<const RadioGroup&>(control).Items();
    case ControlKind::TabControl:
      return &static_cast<const TabControl&>(control).Tabs();
    default:
      return nullptr;
  }
}

bool IsVisualControl(const Control& control) {
  return control.Kind() != ControlKind::MenuItem && control.Kind() != ControlKind::Timer;
}

std::optional<Answer> AnswerOf(std::string_view word) {
  static constexpr std::pair<std::string_view, Answer> kAnswers[] = {
      {"yes", Answer::Yes},       {"no", Answer::No},       {"ok", Answer::Ok},
      {"cancel", Answer::Cancel}, {"abort", Answer::Abort}, {"retry", Answer::Retry},
      {"ignore", Answer::Ignore},
  };
  for (const auto& [name, answer] : kAnswers) {
    if (word == name) return answer;
  }
  return std::nullopt;
}

// The menu item that opens `form`, from the window registry; nothing for a window no item opens.
MenuItem* OpenerOf(Monitor& app, const Form& form) {
#define ZELKON_OPENER(Class, member, opener, wire) \
  if (&form == &app.member && (opener) != nullptr) return &(app.Form_Main.*(opener));
  ZELKON_WINDOWS(ZELKON_OPENER)
#undef ZELKON_OPENER
  return nullptr;
}

// A click on a control as the user makes it: a button, menu item, label or panel runs its click
// event; a radio button is checked; a check box changes.
void Click(Control& control) {
  switch (control.Kind()) {
    case ControlKind::Button:
      static_cast<Button&>(control).Click();
      break;
    case ControlKind::MenuItem:
      static_cast<MenuItem&>(control).Click();
      break;
    case ControlKind::Label:
      static_cast<Label&>(control).Click();
      break;
    case ControlKind::Panel:
      static_cast<Panel&>(control).Click();
      break;
    case ControlKind::RadioButton:
      static_cast<RadioButton&>(control).SetChecked(true);
      break;
    case ControlKind::CheckBox: {
      auto& box = static_cast<CheckBox&>(control);
      box.SetChecked(!box.Checked());
      break;
    }
    default:
      break;
  }
}

// Runs `action` as the window system sees it: a window the action shows becomes the active one and
// runs its activation event, as a shown window does in the windowed program. Headless, the console
// is the window system.
template <class Action>
void ActivatingShownWindows(Monitor& app, Action&& action) {
  std::vector<Form*> hidden;
  for (Form* form : app.Forms()) {
    if (!form->Visible()) hidden.push_back(form);
  }
  std::forward<Action>(action)();
  for (Form* form : hidden) {
    if (form->Visible()) form->Activate();
  }
}

}  // namespace

void OpenWindow(Monitor& app, Form& form) {
  const bool wasVisible = form.Visible();
  ActivatingShownWindows(app, [&app, &form] {
    if (MenuItem* opener = OpenerOf(app, form)) {
      opener->Click();
    } else {
      form.Show();
    }
  });
  // A window already open comes to the front and is activated again.
  if (wasVisible && form.Visible()) form.Activate();
}

// ---- Commands -----------------------------------------------------------------------------------

struct ScriptConsole::Command {
  enum class Verb {
    Nothing,
    Open,
    Close,
    Dump,
    Quit,
    Set,
    Exit,
    Key,
    Click,
    Answer,
    File,
    Wait,
    Expect
  };
  Verb verb = Verb::Nothing;
  Form* form = nullptr;
  Control* control = nullptr;
  std::string target;  // "TForm_GPS.Edit_EMask" as written
  std::string text;    // set: the text; answer file: the path; expect: the value as JSON
  int index = -1;      // set by item
  bool flag = false;   // set: checked or not
  char key = 0;        // key: the character; 0 for tab
  zelkon::Answer answer = zelkon::Answer::Ok;
  int64_t ms = 0;        // wait
  std::string property;  // expect: the property name, or "visible" of the window
};

ScriptConsole::ScriptConsole(Monitor& app, EventLoop& loop, HeadlessDialogs& dialogs,
                             std::ostream& out, std::ostream& err)
    : app_(app), loop_(loop), dialogs_(dialogs), out_(out), err_(err) {}

std::optional<std::string> ScriptConsole::Check(std::string_view line) const {
  Command command;
  return Parse(line, command);
}

std::optional<std::string> ScriptConsole::Parse(std::string_view line, Command& c) const {
  using Verb = Command::Verb;
  std::string_view rest = Trim(line);
  if (rest.empty() || rest.front() == '#') return std::nullopt;
  const std::string_view verb = TakeWord(rest);

  // FORM, FORM.CONTROL or FORM.CONTROL.PROPERTY, resolved.
  const auto findForm = [&](std::string_view name) -> std::optional<std::string> {
    for (Form* form : app_.Forms()) {
      if (form->ClassName() == name) {
        c.form = form;
        return std::nullopt;
      }
    }
    return "unknown window " + Quoted(name);
  };
  const auto findControl = [&](std::string_view target) -> std::optional<std::string> {
    c.target = std::string(target);
    const size_t dot = target.find('.');
    if (dot == std::string_view::npos) {
      return "expected FORM.CONTROL, got " + Quoted(target);
    }
    if (auto error = findForm(target.substr(0, dot))) return error;
    const std::string_view name = target.substr(dot + 1);
    c.control = c.form->Find(name);
    if (c.control == nullptr) return c.form->ClassName() + " has no control " + Quoted(name);
    return std::nullopt;
  };
  const auto kindError = [&](const char* action) {
    return c.target + " is a " + KindName(c.control->Kind()) + ": it cannot be " + action;
  };
  const auto needsNoMore = [&](std::string_view usage) -> std::optional<std::string> {
    if (!rest.empty()) return "too much after the command: " + std::string(usage);
    return std::nullopt;
  };

  if (verb == "open" || verb == "close" || verb == "dump") {
    c.verb = verb == "open" ? Verb::Open : verb == "close" ? Verb::Close : Verb::Dump;
    const std::string usage = std::string(verb) + " FORM";
    const std::string_view name = TakeWord(rest);
    if (name.empty()) return std::string(verb) + " needs a window: " + usage;
    if (auto error = findForm(name)) return error;
    return needsNoMore(usage);
  }
  if (verb == "quit") {
    c.verb = Verb::Quit;
    return needsNoMore("quit");
  }
  if (verb == "set") {
    c.verb = Verb::Set;
    const std::string_view target = TakeWord(rest);
    if (target.empty()) return std::string("set needs a control: set FORM.CONTROL VALUE");
    if (auto error = findControl(target)) return error;
    c.text = Unquote(rest);
    switch (c.control->Kind()) {
      case ControlKind::Edit:
      case ControlKind::Memo:
        return std::nullopt;
      case ControlKind::CheckBox:
      case ControlKind::RadioButton: {
        const std::optional<bool> flag = ReadBoolean(c.text);
        if (!flag) return c.target + " takes true or false, not " + Quoted(c.text);
        c.flag = *flag;
        return std::nullopt;
      }
      default:
        break;
    }
    const std::vector<std::string>* items = ItemsOf(*c.control);
    if (items == nullptr) return kindError("set");
    const int count = static_cast<int>(items->size());
    if (!c.text.empty() && c.text.front() == '#') {
      const std::optional<long> index = ReadInteger(c.text.substr(1));
      if (!index || *index < -1 || *index >= count) {
        return c.target + " has items #0 to #" + std::to_string(count - 1) + " (and #-1), not " +
               Quoted(c.text);
      }
      c.index = static_cast<int>(*index);
      return std::nullopt;
    }
    for (int i = 0; i < count; ++i) {
      if ((*items)[static_cast<size_t>(i)] == c.text) {
        c.index = i;
        return std::nullopt;
      }
    }
    return Quoted(c.text) + " is not an item of " + c.target + ": " + JsonListOf(*items);
  }
  if (verb == "exit" || verb == "click" || verb == "key") {
    c.verb = verb == "exit" ? Verb::Exit : verb == "click" ? Verb::Click : Verb::Key;
    const std::string usage =
        c.verb == Verb::Key ? "key FORM.CONTROL KEY" : std::string(verb) + " FORM.CONTROL";
    const std::string_view target = TakeWord(rest);
    if (target.empty()) return std::string(verb) + " needs a control: " + usage;
    if (auto error = findControl(target)) return error;
    const ControlKind kind = c.control->Kind();
    if (c.verb == Verb::Exit) {
      if (kind != ControlKind::Edit)
        return c.target + " is a " + KindName(kind) + ": only an edit has an exit event";
      return needsNoMore(usage);
    }
    if (c.verb == Verb::Click) {
      switch (kind) {
        case ControlKind::Button:
        case ControlKind::MenuItem:
        case ControlKind::Label:
        case ControlKind::Panel:
        case ControlKind::RadioButton:
        case ControlKind::CheckBox:
          return needsNoMore(usage);
        default:
          return kindError("clicked");
      }
    }
    if (kind != ControlKind::Edit)
      return c.target + " is a " + KindName(kind) + ": only an edit takes keys";
    const std::string key = Unquote(rest);
    if (key == "enter") {
      c.key = kKeyEnter;
    } else if (key == "tab") {
      c.key = 0;
    } else if (key.size() == 1 && std::isprint(static_cast<unsigned char>(key[0]))) {
      c.key = key[0];
    } else {
      return "key takes enter, tab or one character, not " + Quoted(key);
    }
    return std::nullopt;
  }
  if (verb == "answer") {
    const std::string_view word = TakeWord(rest);
    if (word == "file") {
      c.verb = Verb::File;
      c.text = Unquote(rest);
      if (c.text.empty()) return std::string("answer file needs a path: answer file PATH");
      return std::nullopt;
    }
    c.verb = Verb::Answer;
    const std::optional<Answer> answer = AnswerOf(word);
    if (!answer) {
      return "answer takes yes, no, ok, cancel, abort, retry, ignore or file PATH, not " +
             Quoted(word);
    }
    c.answer = *answer;
    return needsNoMore("answer BUTTON");
  }
  if (verb == "wait") {
    c.verb = Verb::Wait;
    const std::string seconds(TakeWord(rest));
    char* end = nullptr;
    const double value = std::strtod(seconds.c_str(), &end);
    if (seconds.empty() || *end != '\0' || !std::isfinite(value) || value < 0 ||
        value > kLongestWaitSeconds) {
      return "wait takes a number of seconds from 0 to 86400, not " + Quoted(seconds);
    }
    c.ms = std::llround(value * 1000);
    return needsNoMore("wait SECONDS");
  }
  if (verb == "expect") {
    c.verb = Verb::Expect;
    const std::string_view target = TakeWord(rest);
    if (target.empty())
      return std::string("expect needs a property: expect FORM.CONTROL.PROPERTY VALUE");
    const size_t last = target.rfind('.');
    const size_t first = target.find('.');
    if (first == std::string_view::npos) {
      return "expected FORM.CONTROL.PROPERTY or FORM.visible, got " + Quoted(target);
    }
    const std::string value = Unquote(rest);
    ValueKind kind = ValueKind::Boolean;
    if (first == last) {  // FORM.PROPERTY
      c.target = std::string(target);
      if (auto error = findForm(target.substr(0, first))) return error;
      c.property = std::string(target.substr(first + 1));
      if (c.property != "visible") {
        return "a window has the property visible only, not " + Quoted(c.property);
      }
    } else {
      if (auto error = findControl(target.substr(0, last))) return error;
      c.target = std::string(target);
      c.property = std::string(target.substr(last + 1));
      const std::optional<PropertyValue> property = PropertyOf(*c.control, c.property);
      if (!property) {
        std::string names;
        for (const PropertyValue& p : PropertiesOf(*c.control))
          names += (names.empty() ? "" : ", ") + p.name;
        return c.target.substr(0, last) + " has no property " + Quoted(c.property) + " (it has " +
               names + ")";
      }
      kind = property->kind;
    }
    switch (kind) {
      case ValueKind::Text: {
        std::string text = value;
        // Colours compare whatever the case of their hex digits.
        if (c.property == "colour" || c.property == "fontColour") {
          for (char& ch : text)
            ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        }
        c.text = JsonString(text);
        break;
      }
      case ValueKind::Boolean:
        if (!ReadBoolean(value)) return c.target + " is true or false, not " + Quoted(value);
        c.text = value;
        break;
      case ValueKind::Integer: {
        const std::optional<long> number = ReadInteger(value);
        if (!number) return c.target + " is a whole number, not " + Quoted(value);
        c.text = std::to_string(*number);
        break;
      }
      case ValueKind::TextList:
        if (value.empty() || value.front() != '[') {
          return c.target + " is a list such as [\"Off\",\"On\"], not " + Quoted(value);
        }
        c.text = CompactJson(value);
        break;
    }
    return std::nullopt;
  }
  return "unknown command " + Quoted(verb) +
         " (open, close, set, exit, key, click, answer, wait, dump, expect, quit)";
}

ScriptConsole::Outcome ScriptConsole::Mistake(const std::string& where,
                                              const std::string& message) {
  err_ << where << ": " << message << std::endl;
  return Outcome::Mistake;
}

ScriptConsole::Outcome ScriptConsole::Execute(std::string_view line, const std::string& where) {
  Command command;
  if (std::optional<std::string> error = Parse(line, command)) return Mistake(where, *error);
  const Outcome outcome = Perform(command, where);
  // What the handlers handed to the user-interface thread runs before the next command, as the
  // windowed program runs it as soon as the handler returns.
  app_.ui.Drain();
  if (std::optional<std::string> misfit = dialogs_.TakeMisfit()) return Mistake(where, *misfit);
  return outcome;
}

ScriptConsole::Outcome ScriptConsole::Perform(const Command& c, const std::string& where) {
  using Verb = Command::Verb;
  // The operator reaches a control only in an open window, and only while it is shown and enabled
  // (a hidden menu item still answers its shortcut key).
  const auto reachable = [&]() -> std::optional<std::string> {
    if (!c.form->Visible()) return c.form->ClassName() + " is not open";
    if (c.control->Kind() == ControlKind::MenuItem) {
      if (!static_cast<MenuItem*>(c.control)->Enabled()) return c.target + " is disabled";
    } else if (IsVisualControl(*c.control)) {
      const auto& visual = static_cast<const VisualControl&>(*c.control);
      if (!visual.Visible()) return c.target + " is not visible";
      if (!visual.Enabled()) return c.target + " is disabled";
    }
    return std::nullopt;
  };

  switch (c.verb) {
    case Verb::Nothing:
      return Outcome::Continue;
    case Verb::Quit:
      return Outcome::Quit;
    case Verb::Open:
      // A window whose menu item is disabled cannot be opened by it.
      if (const MenuItem* opener = OpenerOf(app_, *c.form); opener && !opener->Enabled()) {
        return Mistake(where, "TForm_Main." + opener->Name() + " is disabled");
      }
      OpenWindow(app_, *c.form);
      return Outcome::Continue;
    case Verb::Close:
      c.form->Close();
      return Outcome::Continue;
    case Verb::Dump:
      if (!WriteOutput(out_, err_, FormJson(*c.form) + '\n')) return Outcome::OutputFailed;
      return Outcome::Continue;
    case Verb::Answer:
      dialogs_.QueueAnswer(c.answer);
      return Outcome::Continue;
    case Verb::File:
      dialogs_.QueueFile(c.text);
      return Outcome::Continue;
    case Verb::Wait:
      for (int64_t left = c.ms; left > 0 && !(stop_ != nullptr && stop_->load());
           left -= kWaitSliceMs) {
        loop_.RunFor(std::min(left, kWaitSliceMs));
      }
      return Outcome::Continue;
    case Verb::Expect: {
      const std::string actual =
          c.control == nullptr ? (c.form->Visible() ? "true" : "false")
                               : PropertyOf(*c.control, c.property).value_or(PropertyValue{}).json;
      if (actual == c.text) return Outcome::Continue;
      err_ << where << ": expected " << c.target << " " << c.text << ", got " << actual
           << std::endl;
      return Outcome::ExpectFailed;
    }
    case Verb::Set:
    case Verb::Exit:
    case Verb::Key:
    case Verb::Click:
      break;
  }

  if (std::optional<std::string> error = reachable()) return Mistake(where, *error);
  Control& control = *c.control;
  switch (c.verb) {
    case Verb::Set:
      switch (control.Kind()) {
        case ControlKind::Edit:
          static_cast<Edit&>(control).SetText(c.text);
          break;
        case ControlKind::Memo:
          static_cast<Memo&>(control).SetText(c.text);
          break;
        case ControlKind::CheckBox:
          static_cast<CheckBox&>(control).SetChecked(c.flag);
          break;
        case ControlKind::RadioButton:
          static_cast<RadioButton&>(control).SetChecked(c.flag);
          break;
        case ControlKind::ComboBox: {
          auto& box = static_cast<ComboBox&>(control);
          box.SetItemIndex(c.index);
          box.Change();
          break;
        }
        case ControlKind::RadioGroup:
          static_cast<RadioGroup&>(control).SetItemIndex(c.index);
          break;
        case ControlKind::TabControl: {
          auto& tabs = static_cast<TabControl&>(control);
          tabs.SetTabIndex(c.index);
          tabs.Change();
          break;
        }
        default:
          break;
      }
      break;
    case Verb::Exit:
      static_cast<Edit&>(control).Exit();
      break;
    case Verb::Key: {
      auto& edit = static_cast<Edit&>(control);
      if (c.key == 0) {  // tab: the focus moves on
        edit.Exit();
        break;
      }
      char key = c.key;
      edit.KeyPress(key);
      // A character the handler lets through (or replaces) is typed at the end of the text.
      if (key != 0 && key != kKeyEnter) edit.SetText(edit.Text() + key);
      break;
    }
    case Verb::Click:
      ActivatingShownWindows(app_, [&control] { Click(control); });
      break;
    default:
      break;
  }
  return Outcome::Continue;
}

namespace {

std::string TooLongText() {
  return "a line longer than " + std::to_string(kLongestScriptLine) +
         " bytes, more than any command";
}

}  // namespace

int ScriptConsole::Run(const std::function<std::optional<ScriptLine>()>& next,
                       const std::string& name, bool interactive, const std::atomic<bool>& stop) {
  stop_ = &stop;
  int status = kScriptPassed;
  for (int number = 1; !stop.load(); ++number) {
    const std::optional<ScriptLine> line = next();
    if (!line) break;
    const std::string where = name + ":" + std::to_string(number);
    const Outcome outcome =
        line->tooLong ? Mistake(where, TooLongText()) : Execute(line->text, where);
    if (outcome == Outcome::Quit) break;
    // Nobody reads what the script prints any more: even an interactive run ends.
    if (outcome == Outcome::OutputFailed) {
      status = kOutputFailed;
      break;
    }
    if (interactive || outcome == Outcome::Continue) continue;
    status = outcome == Outcome::ExpectFailed ? kScriptExpectFailed : kScriptMistake;
    break;
  }
  if (status == kScriptPassed && dialogs_.Unused() > 0) {
    err_ << name << ": " << dialogs_.Unused() << " queued answer(s) were not taken by any box"
         << std::endl;
  }
  stop_ = nullptr;
  return status;
}

// ---- Running a script ---------------------------------------------------------------------------

bool WaitForPortSetup(Monitor& app, EventLoop& loop, int64_t maxMs) {
  return loop.RunUntil([&app] { return app.Form_Main.Timer_RXBIN.Enabled(); }, maxMs);
}

namespace {

constexpr int64_t kPortSetupMs = 5000;
// What one read of a script takes at most.
constexpr size_t kReadBytes = 64 * 1024;

// The lines of a script known in full (a file or a text): checked whole before the first runs.
int RunLines(ScriptConsole& console, const std::vector<ScriptLine>& lines, const std::string& name,
             std::ostream& err, const std::atomic<bool>& stop) {
  for (size_t i = 0; i < lines.size(); ++i) {
    std::optional<std::string> error =
        lines[i].tooLong ? TooLongText() : console.Check(lines[i].text);
    if (error) {
      err << name << ":" << i + 1 << ": " << *error << std::endl;
      return kScriptMistake;
    }
  }
  size_t next = 0;
  return console.Run(
      [&]() -> std::optional<ScriptLine> {
        if (next == lines.size()) return std::nullopt;
        return lines[next++];
      },
      name, false, stop);
}

// Cuts bytes into lines, looking at each byte once. A line longer than kLongestScriptLine is never
// held whole: it comes out as one line marked too long, and its bytes up to its end are dropped as
// they come. What is kept is at most one line and one read.
class LineSplitter {
 public:
  void Add(std::string_view bytes) {
    if (skipping_) {
      const size_t end = bytes.find('\n');
      if (end == std::string_view::npos) return;
      skipping_ = false;
      bytes.remove_prefix(end + 1);
    }
    pending_.erase(0, start_);
    scanned_ -= start_;
    start_ = 0;
    pending_.append(bytes);
  }

  // The next whole line, when one has come.
  std::optional<ScriptLine> Next() {
    if (skipping_) return std::nullopt;
    const size_t end = pending_.find('\n', scanned_);
    if (end == std::string::npos) {
      scanned_ = pending_.size();
      if (scanned_ - start_ <= kLongestScriptLine) return std::nullopt;
      pending_.clear();
      start_ = scanned_ = 0;
      skipping_ = true;
      return ScriptLine{"", true};
    }
    const size_t begin = start_;
    start_ = scanned_ = end + 1;
    if (end - begin > kLongestScriptLine) return ScriptLine{"", true};
    return ScriptLine{pending_.substr(begin, end - begin), false};
  }

  // At the end of the input: its last line when that has no line feed.
  std::optional<ScriptLine> Rest() {
    if (skipping_ || start_ == pending_.size()) return std::nullopt;
    ScriptLine line{pending_.substr(start_), false};
    start_ = scanned_ = pending_.size();
    return line;
  }

 private:
  std::string pending_;
  size_t start_ = 0;    // where the next line begins in pending_
  size_t scanned_ = 0;  // pending_ holds no line feed from start_ up to here
  bool skipping_ = false;
};

std::vector<ScriptLine> SplitLines(std::string_view text) {
  LineSplitter splitter;
  splitter.Add(text);
  std::vector<ScriptLine> lines;
  while (std::optional<ScriptLine> line = splitter.Next())
    lines.push_back(std::move(*line));
  if (std::optional<ScriptLine> last = splitter.Rest()) lines.push_back(std::move(*last));
  return lines;
}

// Lines from a descriptor (standard input, a script file, a FIFO), read only when poll(2) says
// bytes or the end are there, so that nothing blocks: while no line is complete the program keeps
// running, and a stop request ends the reading at once.
class InputLines {
 public:
  InputLines(int fd, EventLoop& loop, const std::atomic<bool>& stop)
      : fd_(fd), loop_(loop), stop_(stop) {}

  std::optional<ScriptLine> Next() {
    while (true) {
      if (std::optional<ScriptLine> line = lines_.Next()) return line;
      // Stopped, an unfinished last line is not run: it may be a command cut short.
      if (stop_.load()) return std::nullopt;
      if (ended_) return lines_.Rest();
      pollfd input{fd_, POLLIN, 0};
      if (::poll(&input, 1, 0) <= 0) {
        loop_.RunFor(kInputPollMs);
        continue;
      }
      const ssize_t n = ::read(fd_, buffer_.data(), buffer_.size());
      if (n > 0) {
        bytesRead_ += static_cast<uint64_t>(n);
        lines_.Add(std::string_view(buffer_.data(), static_cast<size_t>(n)));
      } else if (n == 0) {
        ended_ = true;
      } else if (errno != EINTR && errno != EAGAIN) {
        ended_ = true;
        error_ = errno;
      }
    }
  }

  uint64_t BytesRead() const { return bytesRead_; }
  // The errno of a read that failed, 0 when none did.
  int Error() const { return error_; }

 private:
  int fd_;
  EventLoop& loop_;
  const std::atomic<bool>& stop_;
  LineSplitter lines_;
  std::array<char, kReadBytes> buffer_{};
  uint64_t bytesRead_ = 0;
  bool ended_ = false;
  int error_ = 0;
};

struct Descriptor {
  explicit Descriptor(int fd) : fd(fd) {}
  ~Descriptor() {
    if (fd >= 0) ::close(fd);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int fd;
};

// The whole script file at `path`, or nothing (said on `err`) when it cannot be read, is a
// directory or is larger than kLargestScriptFile. A FIFO is read as its writer writes; a stop
// request ends the wait with nothing.
std::optional<std::vector<ScriptLine>> ReadScriptFile(const std::string& path, EventLoop& loop,
                                                      std::ostream& err,
                                                      const std::atomic<bool>& stop) {
  const auto cannot = [&](const std::string& why) {
    err << "zelkon: cannot read the script " << path << ": " << why << std::endl;
    return std::nullopt;
  };
  // O_NONBLOCK: opening a FIFO whose writer has not come yet returns at once.
  const Descriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (file.fd < 0) return cannot(SystemErrorText(errno));
  struct stat info {};
  if (::fstat(file.fd, &info) != 0) return cannot(SystemErrorText(errno));
  if (S_ISDIR(info.st_mode)) return cannot(SystemErrorText(EISDIR));
  InputLines input(file.fd, loop, stop);
  std::vector<ScriptLine> lines;
  const auto tooLarge = [&] {
    return cannot("larger than " + std::to_string(kLargestScriptFile) +
                  " bytes, more than any script");
  };
  while (std::optional<ScriptLine> line = input.Next()) {
    if (input.BytesRead() > kLargestScriptFile) return tooLarge();
    lines.push_back(std::move(*line));
  }
  if (input.BytesRead() > kLargestScriptFile) return tooLarge();
  if (input.Error() != 0) return cannot(SystemErrorText(input.Error()));
  if (stop.load()) return std::nullopt;
  return lines;
}

}  // namespace

int RunScriptFile(Monitor& app, EventLoop& loop, HeadlessDialogs& dialogs, const std::string& path,
                  std::ostream& out, std::ostream& err, const std::atomic<bool>& stop) {
  ScriptConsole console(app, loop, dialogs, out, err);
  if (path != "-") {
    const std::optional<std::vector<ScriptLine>> lines = ReadScriptFile(path, loop, err, stop);
    // Asked to end while the script was still coming: a normal end, nothing run.
    if (!lines) return stop.load() ? kScriptPassed : kScriptMistake;
    WaitForPortSetup(app, loop, kPortSetupMs);
    return RunLines(console, *lines, path, err, stop);
  }
  WaitForPortSetup(app, loop, kPortSetupMs);
  const bool terminal = ::isatty(STDIN_FILENO) != 0;
  InputLines input(STDIN_FILENO, loop, stop);
  return console.Run(
      [&]() -> std::optional<ScriptLine> {
        if (terminal) err << "zelkon> " << std::flush;
        return input.Next();
      },
      "stdin", terminal, stop);
}

int RunScriptText(Monitor& app, EventLoop& loop, HeadlessDialogs& dialogs, const std::string& name,
                  const std::string& text, std::ostream& out, std::ostream& err) {
  ScriptConsole console(app, loop, dialogs, out, err);
  const std::vector<ScriptLine> lines = SplitLines(text);
  WaitForPortSetup(app, loop, kPortSetupMs);
  static const std::atomic<bool> kNeverStop{false};
  return RunLines(console, lines, name, err, kNeverStop);
}

}  // namespace zelkon
