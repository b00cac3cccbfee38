#include "receiver/receiver_type.h"

#include <cmath>
#include <cstdio>

#include "base/application.h"
#include "config/packet_masks_form.h"
#include "config/serial_form.h"
#include "config/timing_out_form.h"
#include "main/main_display.h"
#include "main/main_form.h"
#include "text/printf.h"
#include "tools/diagnostics_form.h"

namespace zelkon {
namespace {

constexpr const char* kNtpSetting = "NTP";

// Types 1 and 2 can feed an NTP server: ask once whether they do, and poll the timing packets
// only when they do not. Returns whether the timing panels are to be greyed.
bool ChoosePolling(Application& app, int type) {
  MenuItem& polling = app.Window<TForm_Main>().ControlPollingTimingPkts;
  int stored = ReadNtpSetting(app.settings);
  if (stored == -1) {
    // A recording's receiver is not the operator's: nothing is asked or stored, and the check
    // mark stays as it is (a replay shows the timing packets whatever it says).
    if (app.state.Replaying) return false;
    const Answer answer =
        app.dialogs.MessageBox("Are you using the Tempavo 2000 with Network Timing Protocol (NTP)?",
                               "NTP?", Buttons::YesNo, Icon::Question);
    stored = answer == Answer::Yes ? 1 : 0;
    WriteNtpSetting(app.settings, stored);  // a store that cannot be written is ignored
  }
  polling.SetChecked(stored == 0);
  return type == kTypeT2K && stored != 0;
}

// The eight visible alarm rows, evenly spaced between the first and the last row's places.
void RespaceAlarmRows(TForm_Main& f) {
  const int top = f.Shape_Bit1.Top();
  const int bottom = f.Shape_Bit11.Top();
  const float step = static_cast<float>(top - bottom) / 7.0f;
  const std::array<std::pair<Shape*, Label*>, 7> rows = {{{&f.Shape_Bit3, &f.Label_MA3},
                                                          {&f.Shape_Bit5, &f.Label_MA5},
                                                          {&f.Shape_Bit6, &f.Label_MA6},
                                                          {&f.Shape_Bit7, &f.Label_MA7},
                                                          {&f.Shape_Bit8, &f.Label_MA8},
                                                          {&f.Shape_Bit9, &f.Label_MA9},
                                                          {&f.Shape_Bit10, &f.Label_MA10}}};
  for (size_t k = 0; k < rows.size(); ++k) {
    const float offset = static_cast<float>(k) * step;
    const int rowTop = top - static_cast<int>(std::trunc(offset));
    rows[k].first->SetTop(rowTop);
    rows[k].second->SetTop(rowTop - 2);
  }
}

void EnableTimingOutputs(TForm_TimingOut& w, bool enabled) {
  for (VisualControl* control : std::initializer_list<VisualControl*>{
           &w.Edit_Width, &w.Button_Width, &w.RadioButton_Always, &w.RadioButton_1SV,
           &w.RadioButton_3SV, &w.Button_SetOutput}) {
    control->SetEnabled(enabled);
  }
  const Colour text = enabled ? colours::kWindowText : colours::kInactiveCaption;
  for (Label* label : {&w.Label_Width, &w.Label_Seconds, &w.Label_OutputOptions}) {
    label->SetFontColor(text);
  }
}

void EnablePacketMasks(TForm_PacketMasks& w, bool enabled) {
  for (CheckBox* box : w.MaskBoxes())
    box->SetEnabled(enabled);
  w.Button_Set8EA5.SetEnabled(enabled);
  w.Label_Masks.SetFontColor(enabled ? colours::kWindowText : colours::kInactiveCaption);
  if (enabled) {
    w.CheckBox_B2Bit6.SetCaption("8F-AB on Port A, Port B");
    w.CheckBox_B2Bit7.SetCaption("8F-AC on Port A, Port B");
  }
}

}  // namespace

int ReadNtpSetting(SettingsStore& store) {
  const auto text = store.Read(kNtpSetting);
  if (!text) return -1;
  int value = -1;
  if (std::sscanf(text->c_str(), "%d", &value) != 1) return -1;
  return value;
}

bool WriteNtpSetting(SettingsStore& store, int value) {
  return store.Write(kNtpSetting, Printf("%d", value));
}

int CheckedReceiverType(Application& app) {
  const auto items = app.Window<TForm_Main>().ReceiverTypeItems();
  for (int type = kTypeT2K; type <= kTypeVarnel; ++type) {
    if (items[static_cast<size_t>(type - 1)]->Checked()) return type;
  }
  return 0;
}

void ConfigureReceiverType(Application& app, int type) {
  if (type < kTypeT2K || type > kTypeVarnel) return;
  TForm_Main& f = app.Window<TForm_Main>();
  const bool varnel = type == kTypeVarnel;

  bool greyTiming = varnel;
  if (type == kTypeT2K || type == kTypeNetrel) greyTiming = ChoosePolling(app, type);

  RespaceAlarmRows(f);
  for (VisualControl* row : std::initializer_list<VisualControl*>{&f.Shape_Bit1, &f.Label_MA1,
                                                                  &f.Shape_Bit2, &f.Label_MA2}) {
    row->SetVisible(false);
  }

  EnableTimingOutputs(app.Window<TForm_TimingOut>(), !varnel);

  TForm_Serial& serial = app.Window<TForm_Serial>();
  serial.Label_PortBOutput.SetEnabled(true);
  serial.ComboBox_PortBOutput.SetEnabled(true);
  serial.Label_A.SetCaption("Port A");
  serial.Label_B.SetCaption("Port B");
  serial.Button_SetA.SetCaption("Set Port &A");
  serial.Button_SetB.SetCaption("Set Port &B");

  EnablePacketMasks(app.Window<TForm_PacketMasks>(), !varnel);

  const bool ntpCapable = type == kTypeT2K || type == kTypeNetrel;
  f.ControlPollingTimingPkts.SetVisible(ntpCapable);
  if (!ntpCapable) f.ControlPollingTimingPkts.SetChecked(!varnel);
  f.SetupNMEAOutpu.SetVisible(!varnel);
  f.N3.SetVisible(!varnel);
  f.SetupSelfSurvey.SetVisible(!varnel);
  f.SetupVarnelSelfSurvey.SetVisible(varnel);
  f.SetupPortAOutput.SetVisible(varnel);

  const auto items = f.ReceiverTypeItems();
  for (size_t i = 0; i < items.size(); ++i)
    items[i]->SetChecked(static_cast<int>(i) == type - 1);

  if (greyTiming) GreyTimingPanels(app);
  if (app.state.EngineeringMode) app.Window<TForm_Diagnostics>().DiagnosticsPortIndex = 0;
}

void ReceiverTypeFromReport(Application& app, int type) {
  if (type < kTypeT2K || type > kTypeVarnel) return;
  int& pending = app.Feature<PendingReceiverType>().type;
  const bool asks = (type == kTypeT2K || type == kTypeNetrel) && ReadNtpSetting(app.settings) == -1;
  if (!asks && pending == 0) {
    ConfigureReceiverType(app, type);
    return;
  }
  // The question waits for the packet loop to finish. A report that comes while it waits, or
  // while it is open, only changes the type configured once it is answered.
  const bool queued = pending != 0;
  pending = type;
  if (queued) return;
  app.AfterPacketLoop([&app] {
    int& waiting = app.Feature<PendingReceiverType>().type;
    while (waiting != 0) {
      const int chosen = waiting;
      ConfigureReceiverType(app, chosen);
      if (waiting == chosen) waiting = 0;
    }
  });
}

}  // namespace zelkon
