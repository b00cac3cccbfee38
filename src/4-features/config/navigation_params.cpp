#include "config/navigation_params.h"

#include <cmath>
#include <limits>

#include "base/application.h"
#include "commands/commands.h"
#include "config/altitude_form.h"
#include "config/datum_form.h"
#include "config/sv_num_form.h"
#include "text/numbers.h"
#include "text/printf.h"

namespace zelkon {
namespace {

// Sends what the window holds; true when it was sent, false when it warned instead.
bool ApplyDatum(Application& app, const TForm_Datum& form) {
  return SendOrWarn(app, ReadDatum(form),
                    [&app](const DatumIndex& datum) { SendDatum(app, datum.index); });
}

bool ApplyOneSatellite(Application& app, const TForm_SVNum& form) {
  return SendOrWarn(app, ReadOneSatellite(form), [&app](int prn) { SendOneSatellite(app, prn); });
}

}  // namespace

WindowValues<DatumIndex> ReadDatum(const TForm_Datum& form) {
  FieldReader read;
  DatumIndex datum;
  datum.index = static_cast<uint16_t>(read.Selected(form.ComboBox_Datum, "Datum"));
  return read.Result(datum);
}

void ShowDatum(TForm_Datum& form, SegmentReadback& readback, const DatumIndex& report) {
  form.ComboBox_Datum.SetItemIndex(report.index);
  readback.datumIndex = report.index;
}

std::optional<float> ParseAltitude(const std::string& text) {
  const std::optional<double> value = ParseDecimal(text);
  if (!value || std::fabs(*value) > std::numeric_limits<float>::max()) return std::nullopt;
  return static_cast<float>(*value);
}

WindowValues<AltitudeSetting> ReadAltitudeSetting(const TForm_Altitude& form) {
  FieldReader read;
  AltitudeSetting setting;
  if (form.RadioButton_Set.Checked()) {
    const std::optional<float> metres = ParseAltitude(form.Edit_Altitude.Text());
    if (!metres) {
      return {std::nullopt,
              "'" + form.Edit_Altitude.Text() + "' is not a valid floating point value"};
    }
    // The altitude of fixes is one an antenna can have, as in the position window.
    if (*metres < kAntennaAltitude.low || *metres > kAntennaAltitude.high) {
      return {std::nullopt, Printf("Altitude must be between %.0f and %.0f meters.",
                                   kAntennaAltitude.low, kAntennaAltitude.high)};
    }
    setting.metres = *metres;
  } else if (form.RadioButton_Cancel.Checked()) {
    setting.cancel = true;
  } else {
    read.NotSet("Altitude Mode");
  }
  return read.Result(setting);
}

WindowValues<int> ReadOneSatellite(const TForm_SVNum& form) {
  FieldReader read;
  const int prn = read.Selected(form.ComboBox_SVNum, "SV number");
  return read.Result(prn);
}

void WireDatumWindow(Application& app, TForm_Datum& form) {
  form.OnActivate = [&app] { SendDatumQuery(app); };
  form.Button_OK.OnClick = [&app, &form] {
    // A window that could not be sent stays open with its warning.
    if (ApplyDatum(app, form)) form.Close();
  };
  form.Button_Apply.OnClick = [&app, &form] { ApplyDatum(app, form); };
  form.Button_Close.OnClick = [&form] { form.Close(); };
}

void ShowReferenceAltitude(TForm_Altitude& form, SegmentReadback& readback,
                           const ReferenceAltitude& report) {
  form.Edit_Altitude.SetText(Printf("%.3f", report.altitude));
  readback.referenceAltitude = report.altitude;
}

void WireAltitudeWindow(Application& app, TForm_Altitude& form) {
  form.OnActivate = [&app] { SendAltitudeQuery(app); };
  // The edit keeps taking input either way; its colour only shows whether "Set" sends it.
  form.RadioButton_Set.OnClick = [&form] { form.Edit_Altitude.SetColor(colours::kWindow); };
  form.RadioButton_Cancel.OnClick = [&form] { form.Edit_Altitude.SetColor(colours::kButtonFace); };
  form.Button_Set.OnClick = [&app, &form] {
    SendOrWarn(app, ReadAltitudeSetting(form), [&app](const AltitudeSetting& setting) {
      if (setting.cancel) {
        SendCancelAltitude(app);
      } else {
        SendAltitude(app, setting.metres);
      }
    });
  };
  form.Button_Close.OnClick = [&form] { form.Close(); };
}

void WireSVNumWindow(Application& app, TForm_SVNum& form) {
  form.Button_OK.OnClick = [&app, &form] {
    if (ApplyOneSatellite(app, form)) form.Close();
  };
  form.Button_Apply.OnClick = [&app, &form] { ApplyOneSatellite(app, form); };
  form.Button_Close.OnClick = [&form] { form.Close(); };
}

}  // namespace zelkon
