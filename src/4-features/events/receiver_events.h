// The events of a run as the lab wants to hear of them: each beginning and end of a trouble is a
// line in the message log, the troubles a lab must not miss also a desktop notification (when the
// operator asked for them), and the tray shows the worst state now.
//
// Watched: the port lost and back, the receiver silent and answering again, every minor alarm
// raised and cleared (the receiver reports no critical alarms; an open or shorted antenna is what
// stops it working, and counts as critical here), PPS not generated and generated again, the
// receiver's time vouched for and no longer, the self-survey started and finished. Notified: the
// receiver silent or its port lost, PPS not generated, an open or shorted antenna, the position
// questionable.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "analysis/vouched_time.h"
#include "reports/timing.h"

namespace zelkon {

class Application;

// What the watch last saw, a feature of the application. Unknown until the first report.
struct ReceiverEvents {
  std::optional<uint16_t> alarms;
  std::optional<bool> ppsGenerated;
  std::optional<bool> timeVouched;
  bool silent = false;
  bool portLost = false;
};

// The setting that turns desktop notifications on ("1"); off when absent.
inline constexpr const char* kNotificationsSetting = "Notifications";
bool NotificationsWanted(Application& app);

// The name of minor alarm `bit` as the log and the notifications give it: "Antenna Open".
std::string AlarmName(unsigned bit);

// From every supplemental timing report: the alarms, PPS and the self-survey.
void WatchSupplementalTiming(Application& app, const TimingSupplemental& report);
// From every time report: whether the receiver's time is vouched for.
void WatchTime(Application& app, const TimeReading& reading);
// From the silence watch: the receiver silent (`silent`, for `seconds`) or answering again.
void NoteSilence(Application& app, bool silent, int seconds);
// From the link watch: the port lost or opened again.
// `why` tells a loss that is not a hang-up (a remote port that does not answer at start).
void NotePortLost(Application& app, bool lost, const std::string& why = "");

}  // namespace zelkon
