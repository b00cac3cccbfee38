#include "core/silence_watch.h"

#include "core/monitor.h"
#include "events/receiver_events.h"
#include "text/printf.h"

namespace zelkon {
namespace {

constexpr int64_t kMsPerSecond = 1000;

void EndSilence(Monitor& app, Polling& s, TForm_Main& f) {
  if (s.SilentSeconds == 0) return;
  NoteSilence(app, false, s.SilentSeconds);
  if (f.Panel_Hint.Caption() == SilenceNotice(s.SilentSeconds)) {
    f.Panel_Hint.SetCaption(s.HintBeforeSilence);
  }
  // A packet has turned it green already; a lost port leaves it dark.
  if (f.Shape_RxLED.BrushColor() == colours::kRed) f.Shape_RxLED.SetBrushColor(colours::kGrey);
  s.SilentSeconds = 0;
  s.HintOverSilenceSinceMs = -1;
}

// The notice for `seconds` in Panel_Hint, unless a hint of the mouse has stood there for less than
// kHintOverSilenceMs.
void ShowNotice(Polling& s, Panel& hint, int32_t seconds, int64_t nowMs) {
  const std::string& shown = hint.Caption();
  const bool noticeShown = s.SilentSeconds > 0 && shown == SilenceNotice(s.SilentSeconds);
  if (s.SilentSeconds == 0) {
    s.HintBeforeSilence = shown;
  } else if (!noticeShown && !shown.empty()) {
    if (s.HintOverSilenceSinceMs < 0 || shown != s.HintOverSilence) {
      s.HintOverSilence = shown;
      s.HintOverSilenceSinceMs = nowMs;
    }
    if (nowMs - s.HintOverSilenceSinceMs < kHintOverSilenceMs) return;
    s.HintBeforeSilence = shown;
  }
  s.HintOverSilenceSinceMs = -1;
  hint.SetCaption(SilenceNotice(seconds));
}

}  // namespace

std::string SilenceNotice(int seconds) {
  return Printf("No data from the receiver for %d s", seconds);
}

void WatchSilence(Monitor& app) {
  Polling& s = app.polling;
  TForm_Main& f = app.Form_Main;
  const int64_t nowMs = app.clock.NowMs();
  const int64_t quietMs = nowMs - app.state.LastPacketMs;
  if (app.state.Replaying || app.linkLoss.PortLost || quietMs < kSilenceNoticeMs) {
    EndSilence(app, s, f);
    return;
  }
  const auto seconds = static_cast<int32_t>(quietMs / kMsPerSecond);
  ShowNotice(s, f.Panel_Hint, seconds, nowMs);
  if (s.SilentSeconds == 0) NoteSilence(app, true, seconds);
  s.SilentSeconds = seconds;
  f.Shape_RxLED.SetBrushColor(colours::kRed);
}

}  // namespace zelkon
