#include "config/gps_settings.h"

#include <functional>
#include <optional>
#include <string>

#include "base/application.h"
#include "config/gps_form.h"
#include "text/angles.h"
#include "text/printf.h"

namespace zelkon {
namespace {

// The character an edit's key handler receives for Enter.
constexpr char kEnterKey = 13;

// The DGPS list shows "Off", "On", "Auto"; the receiver's code for automatic is 3.
constexpr int kDgpsOn = 1;
constexpr int kDgpsAuto = 3;

// The limits of a mask edit and the texts the edit takes beyond them.
struct MaskLimits {
  Limits<float> range;
  const char* lowText;
  const char* highText;
};
constexpr MaskLimits kElevationLimits{{0.0f, 90.0f}, "0.0", "90.0"};
constexpr MaskLimits kMaskLimits{{0.0f, 50.0f}, "0.0", "50.0"};

constexpr Limits<int64_t> kDgpsAgeLimits{1, 44};

// Beyond a limit the text becomes that limit. A value inside the limits, the limits included, and a
// text that does not read as a number stay as typed.
void ClampMask(Edit& edit, const MaskLimits& limits) {
  const std::optional<float> value = ScanSingle(edit.Text());
  if (!value) return;
  if (*value > limits.range.high) {
    edit.SetText(limits.highText);
  } else if (*value < limits.range.low) {
    edit.SetText(limits.lowText);
  }
}

void ClampDgpsAge(Edit& edit) {
  const std::optional<int> value = ScanInt(edit.Text());
  if (!value) return;
  if (*value > kDgpsAgeLimits.high) {
    edit.SetText(std::to_string(kDgpsAgeLimits.high));
  } else if (*value < kDgpsAgeLimits.low) {
    edit.SetText(std::to_string(kDgpsAgeLimits.low));
  }
}

// An edit clamps itself when it is left and when Enter is pressed in it; the key goes on as typed.
void ClampOnExitAndEnter(Edit& edit, const std::function<void()>& clamp) {
  edit.OnExit = clamp;
  edit.OnKeyPress = [clamp](char& key) {
    if (key == kEnterKey) clamp();
  };
}

// Sends the window as it stands; true when it was sent.
bool Apply(Application& app) {
  return SendOrWarn(app, ReadReceiverConfig(app.Window<TForm_GPS>()),
                    [&app](const ReceiverConfig& config) { SendReceiverConfig(app, config); });
}

}  // namespace

WindowValues<ReceiverConfig> ReadReceiverConfig(const TForm_GPS& form) {
  FieldReader read;
  ReceiverConfig config;
  config.receiverMode = read.Selected(form.ComboBox_RMode, "Receiver Mode");
  const int dgps = read.Selected(form.ComboBox_DGPSMode, "DGPS Mode");
  config.dgpsMode = dgps <= kDgpsOn ? dgps : kDgpsAuto;
  config.dynamicsCode = read.Selected(form.ComboBox_DCode, "Dynamics Code");
  // Each edit within the limits its clamp keeps it in, whether or not it was left before the click.
  const float elevationDeg =
      read.Single(form.Edit_EMask, "Elevation Mask (degrees)", kElevationLimits.range);
  config.elevationMaskRad = static_cast<float>(elevationDeg * RadiansPerDegree);
  config.signalLevelMask =
      read.Single(form.Edit_SMask, "Signal Level Mask (AMU)", kMaskLimits.range);
  config.pdopMask = read.Single(form.Edit_PMask, "PDOP Mask", kMaskLimits.range);
  config.pdopSwitch = read.Single(form.Edit_PSwitch, "PDOP Switch", kMaskLimits.range);
  config.dgpsAgeLimit =
      static_cast<int>(read.Whole(form.Edit_DGPSAge, "DGPS Age Limit (seconds)", kDgpsAgeLimits));
  return read.Result(config);
}

void ShowReceiverConfig(TForm_GPS& form, const ReceiverConfig& report) {
  form.ComboBox_RMode.SetItemIndex(report.receiverMode);
  // The list holds "Off", "On", "Auto": codes 0 and 1 are their items, any other code one less, so
  // the receiver's 3 shows "Auto" (and 2 "On").
  form.ComboBox_DGPSMode.SetItemIndex(report.dgpsMode <= kDgpsOn ? report.dgpsMode
                                                                 : report.dgpsMode - 1);
  form.ComboBox_DCode.SetItemIndex(report.dynamicsCode);
  form.Edit_EMask.SetText(Printf("%0.1f", report.elevationMaskRad * DegreesPerRadian));
  form.Edit_SMask.SetText(Printf("%0.1f", report.signalLevelMask));
  form.Edit_PMask.SetText(Printf("%0.1f", report.pdopMask));
  form.Edit_PSwitch.SetText(Printf("%0.1f", report.pdopSwitch));
  form.Edit_DGPSAge.SetText(Printf("%d", report.dgpsAgeLimit));
}

void WireGpsSettingsWindow(Application& app, TForm_GPS& form) {
  form.OnActivate = [&app] { SendReceiverConfigQuery(app); };
  form.Button_OK.OnClick = [&app, &form] {
    // A window that could not be sent stays open with its warning.
    if (Apply(app)) form.Close();
  };
  form.Button_Apply.OnClick = [&app] { Apply(app); };
  form.Button_Close.OnClick = [&form] { form.Close(); };

  ClampOnExitAndEnter(form.Edit_EMask, [&form] { ClampMask(form.Edit_EMask, kElevationLimits); });
  ClampOnExitAndEnter(form.Edit_SMask, [&form] { ClampMask(form.Edit_SMask, kMaskLimits); });
  ClampOnExitAndEnter(form.Edit_PMask, [&form] { ClampMask(form.Edit_PMask, kMaskLimits); });
  ClampOnExitAndEnter(form.Edit_PSwitch, [&form] { ClampMask(form.Edit_PSwitch, kMaskLimits); });
  ClampOnExitAndEnter(form.Edit_DGPSAge, [&form] { ClampDgpsAge(form.Edit_DGPSAge); });
}

}  // namespace zelkon
