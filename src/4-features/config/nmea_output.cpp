#include "config/nmea_output.h"

#include <array>
#include <cstdint>

#include "base/application.h"
#include "commands/commands.h"
#include "config/nmea_form.h"
#include "text/printf.h"

namespace zelkon {
namespace {

struct SentenceBit {
  CheckBox TForm_NMEA::*box;
  int bit;
};

using F = TForm_NMEA;

constexpr std::array<SentenceBit, 7> kSentenceBits = {{
    {&F::CheckBox_GGA, 0},
    {&F::CheckBox_GLL, 1},
    {&F::CheckBox_VTG, 2},
    {&F::CheckBox_GSV, 3},
    {&F::CheckBox_GSA, 4},
    {&F::CheckBox_ZDA, 5},
    {&F::CheckBox_RMC, 8},
}};

// Sends the window as it stands; true when it was sent.
bool Apply(Application& app, const TForm_NMEA& form) {
  return SendOrWarn(app, ReadNmeaConfig(form), [&app](const NmeaConfig& config) {
    SendNmeaSettings(app, config.intervalSeconds, config.sentenceMask);
  });
}

}  // namespace

WindowValues<NmeaConfig> ReadNmeaConfig(const TForm_NMEA& form) {
  FieldReader read;
  NmeaConfig config;
  config.intervalSeconds =
      static_cast<uint8_t>(read.Whole(form.Edit_Interval, "Output Interval", kU8));
  for (const SentenceBit& b : kSentenceBits) {
    if ((form.*b.box).Checked()) config.sentenceMask |= uint32_t{1} << b.bit;
  }
  return read.Result(config);
}

void ShowNmeaConfig(TForm_NMEA& form, SegmentReadback& readback, const NmeaConfig& report) {
  form.Edit_Interval.SetText(Printf("%d", report.intervalSeconds));
  for (const SentenceBit& b : kSentenceBits)
    (form.*b.box).SetChecked(((report.sentenceMask >> b.bit) & 1) != 0);
  readback.nmeaInterval = report.intervalSeconds;
}

void WireNmeaOutputWindow(Application& app, TForm_NMEA& form) {
  form.OnActivate = [&app] { SendNmeaQuery(app); };
  form.Button_OK.OnClick = [&app, &form] {
    // A window that could not be sent stays open with its warning.
    if (Apply(app, form)) form.Close();
  };
  form.Button_Apply.OnClick = [&app, &form] { Apply(app, form); };
  form.Button_Close.OnClick = [&form] { form.Close(); };
}

}  // namespace zelkon
