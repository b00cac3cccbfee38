#include "transfer/recording.h"

#include <cstring>
#include <optional>
#include <string>

#include "base/application.h"
#include "link/framing.h"
#include "text/printf.h"
#include "transfer/log_rxbin_form.h"
#include "views/message_log.h"

namespace zelkon {
namespace {

// Shows the recording as on or off; Open and Start are usable only while it is off.
void ShowRecordingState(TForm_LogRxbin& form, bool on) {
  form.Button_Open.SetEnabled(!on);
  form.Button_Start.SetEnabled(!on);
  form.Label_OnOff.SetCaption(on ? "On" : "Off");
  form.Shape_OnOff.SetBrushColor(on ? colours::kGreen : colours::kGrey);
}

// Keeps the chosen path; the file is created only by Start.
void OpenClick(Application& app, TForm_LogRxbin& form) {
  const std::optional<std::string> path = app.dialogs.OpenFile(RecordFileDialog());
  if (path) form.Panel_Filename.SetCaption(*path);
}

void StartClick(Application& app, TForm_LogRxbin& form) {
  const std::string& path = form.Panel_Filename.Caption();
  if (path.empty()) {
    app.dialogs.MessageBox("No RXBIN file selected.", "Error", Buttons::Ok, Icon::Exclamation);
    return;
  }
  // Start is disabled while recording, so no file is open here; should one be, Create finishes it.
  PacketRecording& s = app.Feature<PacketRecording>();
  if (!s.File.Create(path)) {
    app.dialogs.MessageBox("Unable to open data record file.", "Error", Buttons::Ok, Icon::None);
    return;
  }
  s.Active = true;
  ShowRecordingState(form, true);
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
  const std::string text = FailureText(form.Panel_Filename.Caption(), *failure);
  MessageLogAppendDated(app, text);
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
  }
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
}

}  // namespace zelkon
