#include "tools/segment_check.h"

#include <optional>
#include <stop_token>
#include <system_error>
#include <thread>

#include "base/application.h"
#include "commands/commands.h"
#include "text/time_format.h"
#include "tools/diagnostics_form.h"
#include "views/message_log.h"

namespace zelkon {
namespace {

// The worker's commands: the common send path, whose pause ends, and which sends nothing, once the
// check is asked to stop.
class StoppableSender final : public CommandSender {
 public:
  StoppableSender(Application& app, std::stop_token stop) : app_(app), stop_(std::move(stop)) {}
  void SendCommand(std::span<const uint8_t> packet) override {
    app_.SendCommandUnlessStopped(stop_, packet);
  }

 private:
  Application& app_;
  std::stop_token stop_;
};

void ForgetReadback(SegmentReadback& values) {
  values.referenceAltitude = std::nullopt;
  values.datumIndex = -1;
  values.portAParity = -1;
  values.portBParity = -1;
  values.timingOutputOption = -1;
  values.selfSurveyLimit = -1;
  values.nmeaInterval = -1;
}

// Queries every segment whose value is not known yet; false when all were known.
bool QueryUnknown(StoppableSender& out, const SegmentReadback& values, int portIndex) {
  bool sent = false;
  const auto query = [&sent](bool unknown, auto send) {
    if (!unknown) return;
    send();
    sent = true;
  };
  query(!values.referenceAltitude.load(), [&] { SendAltitudeQuery(out); });
  query(values.datumIndex < 0, [&] { SendDatumQuery(out); });
  query(values.portAParity < 0 && values.portBParity < 0,
        [&] { SendPortConfigQuery(out, portIndex); });
  query(values.timingOutputOption < 0, [&] { SendPpsOutputOptionQuery(out); });
  query(values.selfSurveyLimit < 0, [&] { SendSelfSurveyParamsQuery(out); });
  query(values.nmeaInterval < 0, [&] { SendNmeaQuery(out); });
  return sent;
}

void SegmentCheckWorker(const std::stop_token& stop, Application& app, int portIndex) {
  struct Ending {
    Clock& clock;
    ~Ending() { clock.WorkerEnded(); }
  } ending{app.clock};
  SegmentReadback& values = app.segmentReadback;
  ForgetReadback(values);
  StoppableSender out(app, stop);
  for (int pass = 1;; ++pass) {
    const bool sent = QueryUnknown(out, values, portIndex);
    if (!app.clock.SleepUnlessStopped(kSegmentCheckPassMs, stop)) return;
    // A pass that had nothing left to ask ends the check, even the last one.
    if (!sent) break;
    if (pass == kSegmentCheckPasses) {
      app.ui.Post([&app] {
        app.dialogs.MessageBox("Couldn't retrieve segment settings.", "Error", Buttons::Ok,
                               Icon::Stop);
      });
      return;
    }
  }
  app.ui.Post(
      [&app, report = SegmentCheckReport(values, portIndex)] { MessageLogAppend(app, report); });
}

}  // namespace

std::string SegmentCheckReport(const SegmentReadback& values, int portIndex) {
  std::string report = "Some segments not returned to default:\r\n";
  bool modified = false;
  const auto line = [&](bool still, const char* text) {
    if (!still) return;
    report += text;
    modified = true;
  };
  const std::optional<float> altitude = values.referenceAltitude.load();
  line(altitude && TruncToInt(*altitude) == TruncToInt(kModifiedAltitude),
       " Receiver Configuration:  Reference Altitude = 100.0\r\n");
  line(values.datumIndex == kModifiedDatum, " I/O Options:             Datum Index = 5\r\n");
  if (portIndex == 0) {
    line(values.portAParity == kModifiedParity,
         " Serial Port Settings:    PortA Parity = none\r\n");
  } else {
    line(values.portBParity == kModifiedParity,
         " Serial Port Settings:    PortB Parity = none\r\n");
  }
  line(values.timingOutputOption == kModifiedTimingOption,
       " Timing Outputs:          Output Options = Always\r\n");
  line(values.selfSurveyLimit == kModifiedSurveyLimit,
       " Self Survey Config:      Survey Limit = 100.0\r\n");
  line(values.nmeaInterval == kModifiedNmeaInterval,
       " NMEA Configuration:      Output Interval = 10\r\n");
  return modified ? report : "All segments returned to default:\r\n";
}

void StartSegmentCheck(Application& app) {
  // The port is taken now: a receiver-type choice during the check does not move it.
  const int portIndex = app.Window<TForm_Diagnostics>().DiagnosticsPortIndex;
  // Assigning stops the check still running and waits for it to end; its pauses end at the stop.
  app.segmentCheckWorker = {};
  app.clock.WorkerStarted();
  try {
    app.segmentCheckWorker = std::jthread([&app, portIndex](const std::stop_token& stop) {
      SegmentCheckWorker(stop, app, portIndex);
    });
  } catch (const std::system_error&) {
    app.clock.WorkerEnded();
    app.AfterPacketLoop([&app] {
      app.dialogs.MessageBox("Error creating thread.", "Thread Error", Buttons::Ok, Icon::Stop);
    });
  }
}

}  // namespace zelkon
