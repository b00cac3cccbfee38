#include "config/timing_outputs.h"

#include "base/application.h"
#include "commands/commands.h"
#include "config/timing_out_form.h"
#include "text/printf.h"

namespace zelkon {
namespace {

constexpr int kPpsAlways = 2;
constexpr int kPpsOneSatellite = 3;
constexpr int kPpsThreeSatellites = 4;
constexpr int kPpsEvenSecondOnly = 0x80;

// The pulse moves within its second: an offset of a second or more, or a width that fills the
// second, is a slip of the unit (nanoseconds typed as seconds) rather than a setting. A threshold
// of uncertainty is never negative.
constexpr Limits<double> kPpsOffsetLimits{-1.0, 1.0};
constexpr Limits<double> kPpsWidthLimits{0.0, 1.0};
constexpr Limits<float> kBiasThresholdLimits{0.0f, kAnySingle.high};

void QueryTimingOutputs(CommandSender& out, Clock& clock) {
  SendPpsOutputOptionQuery(out);
  clock.SleepMs(kCommandPauseMs);
  SendPpsCharacteristicsQuery(out);
  clock.SleepMs(kCommandPauseMs);
  SendPpsWidthQuery(out);
}

void SetCharacteristics(Application& app, const TForm_TimingOut& form) {
  SendOrWarn(app, ReadPpsCharacteristics(form), [&app](const PpsCharacteristics& c) {
    SendPpsCharacteristics(app, c.driverSwitch, c.timeBase, c.polarity, c.offsetSeconds,
                           c.biasThresholdMetres);
  });
}

void SetOutputOption(Application& app, const TForm_TimingOut& form) {
  SendOrWarn(app, ReadPpsOutputOption(form),
             [&app](int option) { SendPpsOutputOption(app, option); });
}

void SetWidth(Application& app, const TForm_TimingOut& form) {
  SendOrWarn(app, ReadPpsWidth(form), [&app](double seconds) { SendPpsWidth(app, seconds); });
}

}  // namespace

WindowValues<PpsCharacteristics> ReadPpsCharacteristics(const TForm_TimingOut& form) {
  FieldReader read;
  PpsCharacteristics c;
  c.driverSwitch = read.Selected(form.ComboBox_Switch, "Driver Switch");
  c.timeBase = read.Selected(form.ComboBox_TimeBase, "Time Base");
  c.polarity = read.Selected(form.ComboBox_Polarity, "Polarity");
  c.offsetSeconds = read.Double(form.Edit_Offset, "PPS Offset", kPpsOffsetLimits);
  c.biasThresholdMetres =
      read.Single(form.Edit_Bias, "Bias Uncertainty Threshold", kBiasThresholdLimits);
  return read.Result(c);
}

WindowValues<int> ReadPpsOutputOption(const TForm_TimingOut& form) {
  FieldReader read;
  int option = kPpsThreeSatellites;
  if (form.RadioButton_Always.Checked()) {
    option = kPpsAlways;
  } else if (form.RadioButton_1SV.Checked()) {
    option = kPpsOneSatellite;
  } else if (!form.RadioButton_3SV.Checked()) {
    read.NotSet("Output Options");
  }
  if (form.CheckBox_EvenSecond.Checked()) option += kPpsEvenSecondOnly;
  return read.Result(option);
}

WindowValues<double> ReadPpsWidth(const TForm_TimingOut& form) {
  FieldReader read;
  const double seconds = read.Double(form.Edit_Width, "PPS Width", kPpsWidthLimits);
  return read.Result(seconds);
}

void ShowPpsCharacteristics(TForm_TimingOut& form, const PpsCharacteristics& report) {
  form.ComboBox_Switch.SetItemIndex(report.driverSwitch);
  form.ComboBox_TimeBase.SetItemIndex(report.timeBase);
  form.ComboBox_Polarity.SetItemIndex(report.polarity);
  form.Edit_Offset.SetText(Printf("%.3e", report.offsetSeconds));
  form.Edit_Bias.SetText(Printf("%.2f", report.biasThresholdMetres));
}

void ShowPpsOutputOption(TForm_TimingOut& form, SegmentReadback& readback,
                         const PpsOutputOption& report) {
  const uint8_t option = report.option;
  const int condition = option & ~kPpsEvenSecondOnly;
  form.RadioButton_Always.SetChecked(condition == kPpsAlways);
  form.RadioButton_1SV.SetChecked(condition == kPpsOneSatellite);
  form.RadioButton_3SV.SetChecked(condition == kPpsThreeSatellites);
  form.CheckBox_EvenSecond.SetChecked((option & kPpsEvenSecondOnly) != 0);
  readback.timingOutputOption = option;
}

void ShowPpsWidth(TForm_TimingOut& form, const PpsWidth& report) {
  form.Edit_Width.SetText(Printf("%.3e", report.widthSeconds));
}

void WireTimingOutputsWindow(Application& app, TForm_TimingOut& form) {
  form.OnActivate = [&app] { QueryTimingOutputs(app, app.clock); };
  form.Button_SetChar.OnClick = [&app, &form] { SetCharacteristics(app, form); };
  form.Button_SetOutput.OnClick = [&app, &form] { SetOutputOption(app, form); };
  form.Button_Width.OnClick = [&app, &form] { SetWidth(app, form); };
  form.Button_Close.OnClick = [&form] { form.Close(); };
}

}  // namespace zelkon
