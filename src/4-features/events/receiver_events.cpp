#include "events/receiver_events.h"

#include <array>
#include <string>

#include "base/application.h"
#include "text/printf.h"
#include "views/message_log.h"

namespace zelkon {
namespace {

constexpr unsigned kAntennaOpen = 1;
constexpr unsigned kAntennaShorted = 2;
constexpr unsigned kSelfSurvey = 5;
constexpr unsigned kPositionQuestionable = 9;

constexpr std::array<const char*, 16> kAlarmNames = {
    nullptr,
    "Antenna Open",
    "Antenna Shorted",
    "No Usable Satellites",
    nullptr,
    "Self-Survey Activity",
    "No Stored Position",
    "Leap Second Pending",
    "Test Mode",
    "Position Questionable",
    "EEPROM Invalid",
    "Almanac Incomplete",
    nullptr,
    nullptr,
    nullptr,
    nullptr,
};

bool Notified(unsigned bit) {
  return bit == kAntennaOpen || bit == kAntennaShorted || bit == kPositionQuestionable;
}

void Tell(Application& app, const std::string& title, const std::string& text) {
  if (NotificationsWanted(app)) app.Notifications().Notify(title, text);
}

// The worst state now and what makes it so, for the tray.
void ShowTrayState(Application& app) {
  const ReceiverEvents& e = app.Feature<ReceiverEvents>();
  std::string faults;
  std::string warnings;
  const auto add = [](std::string& list, const std::string& what) {
    list += (list.empty() ? "" : "; ") + what;
  };
  if (e.portLost) add(faults, "port lost");
  if (e.silent && !e.portLost) add(faults, "receiver silent");
  if (!e.portLost && !e.silent) {
    if (e.ppsGenerated == false) add(faults, "PPS not generated");
    const uint16_t alarms = e.alarms.value_or(0);
    for (unsigned bit = 0; bit < kAlarmNames.size(); ++bit) {
      if (((alarms >> bit) & 1U) == 0 || bit == kSelfSurvey) continue;
      add(bit == kAntennaOpen || bit == kAntennaShorted ? faults : warnings, AlarmName(bit));
    }
    if (e.timeVouched == false) add(warnings, "time not vouched for");
  }
  if (!faults.empty()) {
    app.Notifications().ShowState(TrayState::Fault,
                                  faults + (warnings.empty() ? "" : "; ") + warnings);
  } else if (!warnings.empty()) {
    app.Notifications().ShowState(TrayState::Warning, warnings);
  } else if (e.alarms || e.portLost || e.silent) {
    app.Notifications().ShowState(TrayState::Good, "receiver working");
  } else {
    app.Notifications().ShowState(TrayState::Unknown, "nothing heard from the receiver yet");
  }
}

void WatchAlarms(Application& app, ReceiverEvents& e, uint16_t alarms, int surveyProgress) {
  const uint16_t before = e.alarms.value_or(0);
  e.alarms = alarms;
  const uint16_t changed = before ^ alarms;
  for (unsigned bit = 0; bit < kAlarmNames.size(); ++bit) {
    if (((changed >> bit) & 1U) == 0) continue;
    const bool raised = ((alarms >> bit) & 1U) != 0;
    if (bit == kSelfSurvey) {
      MessageLogLine(app, raised ? "self-survey started"
                                 : Printf("self-survey finished at %d%%", surveyProgress));
      continue;
    }
    MessageLogLine(app, (raised ? "alarm raised: " : "alarm cleared: ") + AlarmName(bit));
    if (raised && Notified(bit)) Tell(app, "Receiver alarm", AlarmName(bit));
  }
}

}  // namespace

bool NotificationsWanted(Application& app) {
  return app.settings.Read(kNotificationsSetting).value_or("0") == "1";
}

std::string AlarmName(unsigned bit) {
  if (bit < kAlarmNames.size() && kAlarmNames[bit] != nullptr) return kAlarmNames[bit];
  return Printf("Alarm Bit %u", bit);
}

void WatchSupplementalTiming(Application& app, const TimingSupplemental& r) {
  // A recording played back is the past: its events are not the receiver's now.
  if (app.state.Replaying) return;
  ReceiverEvents& e = app.Feature<ReceiverEvents>();
  WatchAlarms(app, e, r.minorAlarms, r.selfSurveyProgress);
  if (e.ppsGenerated != r.ppsGenerated) {
    // A receiver that starts without PPS says so in the log; one that stops generating it is
    // also notified. One that starts with it says nothing.
    if (!r.ppsGenerated) {
      MessageLogLine(app, "PPS not generated");
      if (e.ppsGenerated == true) {
        Tell(app, "PPS not generated", "The receiver has stopped generating its PPS output.");
      }
    } else if (e.ppsGenerated.has_value()) {
      MessageLogLine(app, "PPS generated again");
    }
    e.ppsGenerated = r.ppsGenerated;
  }
  ShowTrayState(app);
}

void WatchTime(Application& app, const TimeReading& reading) {
  if (app.state.Replaying) return;
  ReceiverEvents& e = app.Feature<ReceiverEvents>();
  const TimeVerdict verdict =
      JudgeReceiverTime(reading, app.telemetry.Evidence(), app.clock.NowMs(), BuildWeekWindow());
  const bool vouched = verdict.Vouched();
  if (e.timeVouched == vouched) return;
  // Time not yet had at the start is no loss.
  if (vouched) {
    MessageLogLine(app, "time gained: the receiver vouches for its time");
  } else if (e.timeVouched.has_value()) {
    MessageLogLine(app, "time lost: " + DoubtText(verdict.doubt, reading));
  }
  e.timeVouched = vouched;
  ShowTrayState(app);
}

void NoteSilence(Application& app, bool silent, int seconds) {
  if (app.state.Replaying) return;
  ReceiverEvents& e = app.Feature<ReceiverEvents>();
  // A lost port ends the silence watch's count, not the silence: a receiver silent before the loss
  // and after it was silent all along.
  if (e.silent == silent || (!silent && e.portLost)) return;
  e.silent = silent;
  if (silent) {
    MessageLogLine(app, Printf("receiver silent: no data for %d s", seconds));
    Tell(app, "Receiver silent", Printf("No data from the receiver for %d s.", seconds));
    // Its time is for it to vouch for again once it answers.
    e.timeVouched.reset();
  } else {
    MessageLogLine(app, "receiver answering again");
  }
  ShowTrayState(app);
}

void NotePortLost(Application& app, bool lost, const std::string& why) {
  ReceiverEvents& e = app.Feature<ReceiverEvents>();
  if (e.portLost == lost) return;
  e.portLost = lost;
  if (lost) {
    e.timeVouched.reset();
    Tell(
        app, "Receiver port lost",
        why.empty() ? "Lost " + app.state.PortLabel() + ": the device hung up or went away." : why);
  }
  ShowTrayState(app);
}

}  // namespace zelkon
