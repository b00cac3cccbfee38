#include "transfer/recording.h"

#include <optional>
#include <string>

#include "base/application.h"
#include "link/framing.h"
#include "transfer/log_rxbin_form.h"

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
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    app.dialogs.MessageBox("Unable to open data record file.", "Error", Buttons::Ok, Icon::None);
    return;
  }
  AppState& s = app.state;
  // Start is disabled while recording, so no file is open here; should one be, it is finished.
  if (s.RecordingFile != nullptr) std::fclose(s.RecordingFile);
  s.RecordingFile = file;
  s.RecordingActive = true;
  ShowRecordingState(form, true);
}

void StopClick(Application& app, TForm_LogRxbin& form) {
  AppState& s = app.state;
  s.RecordingActive = false;
  ShowRecordingState(form, false);
  // Closing writes out what the stream still buffers.
  if (s.RecordingFile != nullptr) {
    std::fclose(s.RecordingFile);
    s.RecordingFile = nullptr;
  }
}

}  // namespace

void RecordPacket(AppState& state, uint8_t id, const uint8_t* payload, int length) {
  if (state.RecordingFile == nullptr || length < 0 || length > kMaxPayload) return;
  // Large enough for the longest payload with every byte doubled, so no packet is ever cut.
  uint8_t record[kMaxFrameLength];
  int n = 0;
  record[n++] = kDle;
  record[n++] = id;  // written as it is, not doubled
  for (int i = 0; i < length; ++i) {
    if (payload[i] == kDle) record[n++] = kDle;
    record[n++] = payload[i];
  }
  record[n++] = kDle;
  record[n++] = kEtx;
  std::fwrite(record, 1, static_cast<size_t>(n), state.RecordingFile);

  if (++state.RecordingFlushCount > kRecordingFlushEvery) {
    std::fflush(state.RecordingFile);
    state.RecordingFlushCount = 0;
  }
}

void WireLogRxbinWindow(Application& app, TForm_LogRxbin& form) {
  form.Button_Open.OnClick = [&app, &form] { OpenClick(app, form); };
  form.Button_Start.OnClick = [&app, &form] { StartClick(app, form); };
  form.Button_Stop.OnClick = [&app, &form] { StopClick(app, form); };
  form.Button_Close.OnClick = [&form] { form.Close(); };
}

}  // namespace zelkon
