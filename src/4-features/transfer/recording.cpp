#include "transfer/recording.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>

#include "base/application.h"
#include "link/framing.h"
#include "text/printf.h"
#include "transfer/log_rxbin_form.h"
#include "views/message_log.h"

namespace zelkon {
namespace {

// The text without the blanks around it: a file name typed with a stray blank names the file.
std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// "215 packets, 8412 bytes in 00:03:35": what the recording has written whole so far, and how long
// it has run.
void ShowWritten(TForm_LogRxbin& form, const PacketRecording& s, int64_t nowMs) {
  const int64_t seconds = std::max<int64_t>(0, (nowMs - s.StartedMs) / 1000);
  form.Label_Written.SetCaption(Printf("%llu packets, %llu bytes in %02lld:%02lld:%02lld",
                                       static_cast<unsigned long long>(s.File.PacketsWritten()),
                                       static_cast<unsigned long long>(s.File.BytesWritten()),
                                       static_cast<long long>(seconds / 3600),
                                       static_cast<long long>(seconds / 60 % 60),
                                       static_cast<long long>(seconds % 60)));
}

// Shows the recording as on or off; the file name, Browse and Start are usable only while it is
// off. While on, what it has written is shown every second; once off, what it wrote stays.
void ShowRecordingState(TForm_LogRxbin& form, bool on) {
  form.Edit_Filename.SetEnabled(!on);
  form.Button_Open.SetEnabled(!on);
  form.Button_Start.SetEnabled(!on);
  form.Label_OnOff.SetCaption(on ? "On" : "Off");
  form.Shape_OnOff.SetBrushColor(on ? colours::kGreen : colours::kGrey);
  form.Timer_Status.SetEnabled(on);
}

// Puts the chosen path in the file name; the file is created only by Start.
void OpenClick(Application& app, TForm_LogRxbin& form) {
  FileDialogRequest request = RecordFileDialog();
  if (!Trimmed(form.Edit_Filename.Text()).empty()) request.fileName = form.Edit_Filename.Text();
  const std::optional<std::string> path = app.dialogs.SaveFile(request);
  if (!path) return;
  form.Edit_Filename.SetText(*path);
  app.Feature<PacketRecording>().Agreed = *path;
}

void StartClick(Application& app, TForm_LogRxbin& form) {
  const std::string path = Trimmed(form.Edit_Filename.Text());
  if (path.empty()) {
    app.dialogs.MessageBox("No RXBIN file selected.", "Error", Buttons::Ok, Icon::Exclamation);
    return;
  }
  PacketRecording& s = app.Feature<PacketRecording>();
  // A typed name of a file that exists replaces it only once the operator agrees; the file of the
  // recording just stopped is started afresh without asking.
  std::error_code error;
  if (path != s.Agreed && path != s.Path && std::filesystem::exists(path, error) &&
      app.dialogs.MessageBox(path + " already exists.\nDo you want to replace it?",
                             "Confirm Save As", Buttons::YesNo, Icon::Exclamation) != Answer::Yes) {
    return;
  }
  // Start is disabled while recording, so no file is open here; should one be, Create finishes it.
  if (!s.File.Create(path)) {
    app.dialogs.MessageBox("Unable to open data record file.", "Error", Buttons::Ok, Icon::None);
    return;
  }
  s.Active = true;
  s.Path = path;
  s.Agreed = path;
  s.StartedMs = app.clock.NowMs();
  ShowRecordingState(form, true);
  ShowWritten(form, s, s.StartedMs);
}

// "Recording to day.rxb stopped: No space left on device. The file keeps 8412 bytes (215
// packets)."
std::string FailureText(const std::string& path, const RecordFile::Failure& f) {
  const auto bytes = static_cast<unsigned long long>(f.bytesKept);
  const auto packets = static_cast<unsigned long long>(f.packetsKept);
  std::string text = Printf("Recording to %s stopped: %s.", path.c_str(), std::strerror(f.error));
  switch (f.kept) {
    case RecordFile::Kept::Whole:
      return text + Printf(" The file keeps %llu bytes (%llu packets).", bytes, packets);
    case RecordFile::Kept::NotCutBack:
      return text + Printf(
                        " Its first %llu bytes (%llu packets) are whole; the part of a packet "
                        "after them could not be cut off.",
                        bytes, packets);
    case RecordFile::Kept::Unsure:
      break;
  }
  return text + Printf(" %llu bytes (%llu packets) were written; the file may not keep them all.",
                       bytes, packets);
}

// After a failed write or close: the window shows the recording stopped, as Stop does, the message
// log has a line with the time (by the PC's clock), and a box says the same: at once, or inside the
// packet loop once it has ended (a decoder never blocks).
void ReportFailure(Application& app, bool inPacketLoop) {
  PacketRecording& s = app.Feature<PacketRecording>();
  TForm_LogRxbin& form = app.Window<TForm_LogRxbin>();
  s.Active = false;
  ++s.Failures;
  ShowRecordingState(form, false);
  const std::optional<RecordFile::Failure>& failure = s.File.Failed();
  if (!failure) return;
  ShowWritten(form, s, app.clock.NowMs());
  const std::string text = FailureText(s.Path, *failure);
  MessageLogLine(app, text);
  auto box = [&app, text] {
    app.dialogs.MessageBox(text, "Error", Buttons::Ok, Icon::Exclamation);
  };
  if (inPacketLoop) {
    app.AfterPacketLoop(box);
  } else {
    box();
  }
}

void StopClick(Application& app, TForm_LogRxbin& form) {
  PacketRecording& s = app.Feature<PacketRecording>();
  const bool wasOpen = s.File.IsOpen();
  s.Active = false;
  ShowRecordingState(form, false);
  // Closing writes out what is still buffered.
  if (wasOpen && !s.File.Close()) {
    ReportFailure(app, false);
    return;
  }
  if (wasOpen) ShowWritten(form, s, app.clock.NowMs());
}

}  // namespace

void RecordPacket(Application& app, uint8_t id, std::span<const uint8_t> payload) {
  PacketRecording& s = app.Feature<PacketRecording>();
  if (!s.File.IsOpen() || payload.size() > static_cast<size_t>(kMaxPayload)) return;
  // Large enough for the longest payload with every byte doubled, so no packet is ever cut.
  uint8_t record[kMaxFrameLength];
  int n = 0;
  record[n++] = kDle;
  record[n++] = id;  // written as it is, not doubled
  for (const uint8_t b : payload) {
    if (b == kDle) record[n++] = kDle;
    record[n++] = b;
  }
  record[n++] = kDle;
  record[n++] = kEtx;
  s.File.Append(record, static_cast<size_t>(n));

  if (++s.FlushCount > kRecordingFlushEvery) {
    s.FlushCount = 0;
    if (!s.File.Flush()) ReportFailure(app, true);
  }
}

void CloseRecording(Application& app) {
  PacketRecording& s = app.Feature<PacketRecording>();
  if (!s.File.IsOpen()) return;
  s.Active = false;
  if (!s.File.Close()) {
    ReportFailure(app, false);
  }
}

void WireLogRxbinWindow(Application& app, TForm_LogRxbin& form) {
  form.Button_Open.OnClick = [&app, &form] { OpenClick(app, form); };
  form.Button_Start.OnClick = [&app, &form] { StartClick(app, form); };
  form.Button_Stop.OnClick = [&app, &form] { StopClick(app, form); };
  form.Button_Close.OnClick = [&form] { form.Close(); };
  form.Timer_Status.OnTimer = [&app, &form] {
    ShowWritten(form, app.Feature<PacketRecording>(), app.clock.NowMs());
  };
}

}  // namespace zelkon
