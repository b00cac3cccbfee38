// The desktop's notifications and its tray: how the monitor tells a user who is not looking at its
// windows that the receiver is in trouble. The user interface shows a tray icon coloured by the
// worst current state and posts notifications through the desktop's notification service; a run
// without a desktop has none.
#pragma once

#include <string>

namespace zelkon {

// The receiver's state as the tray shows it, worst last.
enum class TrayState {
  Unknown,  // nothing heard yet: grey
  Good,     // green
  Warning,  // an alarm, the time not vouched for: yellow
  Fault,    // silent, lost, no PPS: red
};

class Notifier {
 public:
  virtual ~Notifier() = default;
  // A notification: a short title and a sentence.
  virtual void Notify(const std::string& title, const std::string& text) = 0;
  // The worst current state and what makes it so ("PPS not generated; antenna input open").
  virtual void ShowState(TrayState state, const std::string& summary) = 0;
};

// A run without a desktop: nothing to show.
class NoNotifier final : public Notifier {
 public:
  void Notify(const std::string&, const std::string&) override {}
  void ShowState(TrayState, const std::string&) override {}
};

}  // namespace zelkon
