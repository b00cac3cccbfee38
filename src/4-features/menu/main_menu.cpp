#include "menu/main_menu.h"

#include "base/application.h"
#include "commands/commands.h"
#include "config/gps_form.h"
#include "config/segments.h"
#include "config/segments_form.h"
#include "config/self_survey_form.h"
#include "config/serial_form.h"
#include "config/timing_out_form.h"
#include "events/receiver_events.h"
#include "main/about.h"
#include "main/main_display.h"
#include "main/main_form.h"
#include "main/port_follow.h"
#include "receiver/receiver_type.h"
#include "transfer/position_transfer.h"
#include "transfer/time_transfer.h"
#include "views/product_form.h"
#include "views/track_form.h"

namespace zelkon {
namespace {

// Factory resets move the receiver's ports to their defaults; the PC follows after this pause.
constexpr int kFactoryResetPauseMs = 300;

// A Yes/No question; the action runs unless the answer is No.
bool Confirm(Application& app, const char* text, const char* caption) {
  return app.dialogs.MessageBox(text, caption, Buttons::YesNo, Icon::Question) != Answer::No;
}

// An OK/Cancel warning before the receiver's EEPROM is rewritten.
bool ConfirmEeprom(Application& app, const char* text, const char* caption) {
  return app.dialogs.MessageBox(text, caption, Buttons::OkCancel, Icon::Exclamation) == Answer::Ok;
}

void Reset(Application& app, ResetCode code, bool portFollows) {
  SendReset(app, code);
  ClearMainDisplay(app, true);
  if (!portFollows) return;
  app.clock.SleepMs(kFactoryResetPauseMs);
  ApplyPortSettings(app, DefaultPortSettings(1), app.Window<TForm_Main>().Panel_Serial);
}

void WireControlMenu(Application& app, TForm_Main& f) {
  f.ControlCold.OnClick = [&app] {
    if (Confirm(app, "Do you really want to clear RAM?", "Cold reset?")) {
      Reset(app, ResetCode::Cold, false);
    }
  };
  f.ControlWarm.OnClick = [&app] {
    if (!Confirm(app, "Do you really want to restart the receiver?", "Warm reset?")) return;
    SendWarmReset(app);
    ClearMainDisplay(app, true);
  };
  f.ControlFactoryAll.OnClick = [&app] {
    if (Confirm(app,
                "Sending a factory reset will cause the receiver\nto re-initialize itself to the "
                "factory defaults.  Proceed?",
                "Reset receiver?")) {
      Reset(app, ResetCode::FactoryAll, true);
    }
  };
  f.ControlFactoryNav.OnClick = [&app] {
    if (Confirm(app,
                "Sending this reset will cause the receiver to re-initialize\nthe navigation data "
                "to the factory defaults.  Proceed?",
                "Reset receiver?")) {
      Reset(app, ResetCode::FactoryNavigation, false);
    }
  };
  f.ControlFactoryConfig.OnClick = [&app] {
    if (Confirm(app,
                "Sending this reset will cause the receiver to re-initialize\nthe configuration "
                "parameters to the factory defaults.  Proceed?",
                "Reset receiver?")) {
      Reset(app, ResetCode::FactoryConfig, true);
    }
  };
  f.ControlRestartSurvey.OnClick = [&app] {
    if (Confirm(app, "Do you really want to restart the self-survey?", "Restart self-survey?")) {
      SendRestartSelfSurvey(app);
    }
  };
  f.ControlDownloadPos.OnClick = [&app] { app.Feature<PositionDownloadRequest>().pending = true; };
  f.ControlTimeToPC.OnClick = [&app] {
    SendTimeQuery(app);
    app.Feature<TimeToPcRequest>().pending = true;
  };
  f.ControlPollingTimingPkts.OnClick = [&app] { ControlPollingTimingPktsClick(app); };

  const auto types = f.ReceiverTypeItems();
  for (int type = kTypeT2K; type <= kTypeVarnel; ++type) {
    types[static_cast<size_t>(type - 1)]->OnClick = [&app, type] {
      ConfigureReceiverType(app, type);
    };
  }

  // Hidden items: their keys still work.
  f.ControlPacketsOn.OnClick = [&app] { SendBroadcastMask(app, 0x32, 0xE1); };
  const std::array<std::pair<MenuItem*, int>, 3> siCodes = {
      {{&f.ControlSICode6, 6}, {&f.ControlSICode8, 8}, {&f.ControlSICode9, 9}}};
  for (const auto& [item, code] : siCodes) {
    item->OnClick = [&app, code = code] {
      if (app.state.EngineeringMode) SendSiCode(app, code);
    };
  }
}

void WireSetupMenu(Application& app, TForm_Main& f) {
  f.SetupSaveSegments.OnClick = [&app] {
    if (ConfirmEeprom(app,
                      "This operation will save all receiver configuration segments to the "
                      "EEPROM.  Are you sure that you want to proceed?",
                      "Save All Segments")) {
      SendSaveSegments(app);
    }
  };
  f.SetupDefaultSegments.OnClick = [&app] {
    if (!ConfirmEeprom(app,
                       "This operation will save all receiver configuration segments to their "
                       "factory default settings.  Are you sure that you want to proceed?",
                       "Default All Segments")) {
      return;
    }
    RevertSegment(app, kAllSegments);
  };
}

// The windows the Window menu and the Control menu open are connected by the window registry.
void WireDisplayClicks(Application& app, TForm_Main& f) {
  f.Panel_Version.OnClick = [&app] { app.Window<TForm_Product>().Show(); };
  f.Label_SVData.OnClick = [&app] { app.Window<TForm_Track>().Show(); };
  f.Label_TimingOutputs.OnClick = [&app] { app.Window<TForm_TimingOut>().Show(); };
  f.Label_ModeAndStatus.OnClick = [&app] { app.Window<TForm_GPS>().Show(); };
  f.Label_SelfSurvey.OnClick = [&app] { app.Window<TForm_SelfSurvey>().Show(); };
  f.Panel_SelfSurvey.OnClick = [&app] { app.Window<TForm_SelfSurvey>().Show(); };
  f.Panel_Serial.OnClick = [&app] { app.Window<TForm_Serial>().Show(); };
  f.Label_MA10.OnClick = [&app] { app.Window<TForm_EEPROM>().Show(); };
  f.Panel_Latitude.OnClick = [&app] { LLAToggle(app); };
  f.Panel_Longitude.OnClick = [&app] { LLAToggle(app); };
}

}  // namespace

void ControlPollingTimingPktsClick(Application& app) {
  MenuItem& polling = app.Window<TForm_Main>().ControlPollingTimingPkts;
  if (!polling.Checked()) {
    const Answer answer = app.dialogs.MessageBox(
        "The Primary and Supplemental timing packets are not used by NTP. If you have an NTP "
        "server connected to port A of the receiver, selecting this option may result in data "
        "overruns and degraded performance.  Proceed?",
        "Warning", Buttons::YesNo, Icon::Exclamation);
    if (answer == Answer::No) return;
  }
  polling.SetChecked(!polling.Checked());
  WriteNtpSetting(app.settings, polling.Checked() ? 0 : 1);  // a failed write is ignored
  ClearMainDisplay(app, false);
}

void LLAToggle(Application& app) { app.state.LatLonDegMin = !app.state.LatLonDegMin; }

void WireMainWindow(Application& app, TForm_Main& form) {
  WireControlMenu(app, form);
  WireSetupMenu(app, form);
  WireDisplayClicks(app, form);
  form.HelpContents.OnClick = [&app] { ShowUserDocumentation(app); };
  // Off until the operator asks for them; the choice is kept.
  form.ViewNotifications.SetChecked(NotificationsWanted(app));
  form.ViewNotifications.OnClick = [&app, &form] {
    const bool wanted = !form.ViewNotifications.Checked();
    form.ViewNotifications.SetChecked(wanted);
    app.settings.Write(kNotificationsSetting, wanted ? "1" : "0");  // a failed write is ignored
  };
}

}  // namespace zelkon
