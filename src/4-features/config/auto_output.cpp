#include "config/auto_output.h"

#include <array>
#include <cstdint>

#include "base/application.h"
#include "commands/commands.h"
#include "config/auto_out_form.h"

namespace zelkon {
namespace {

struct MaskBit {
  CheckBox TForm_AutoOut::*box;
  int bit;
};

using F = TForm_AutoOut;

constexpr std::array<MaskBit, 10> kMaskBits = {{
    {&F::CheckBox_Bit0, 0},
    {&F::CheckBox_Bit1, 1},
    {&F::CheckBox_Bit2, 2},
    {&F::CheckBox_Bit3, 3},
    {&F::CheckBox_Bit4, 4},
    {&F::CheckBox_Bit5, 5},
    {&F::CheckBox_Bit8, 8},
    {&F::CheckBox_Bit11, 11},
    {&F::CheckBox_Bit30, 30},
    {&F::CheckBox_Bit31, 31},
}};

void Apply(Application& app, const TForm_AutoOut& form) {
  SendAutoOutputMask(app, ReadAutoOutputMask(form).mask);
}

}  // namespace

AutoOutputMask ReadAutoOutputMask(const TForm_AutoOut& form) {
  AutoOutputMask report;
  for (const MaskBit& b : kMaskBits) {
    if ((form.*b.box).Checked()) report.mask |= uint32_t{1} << b.bit;
  }
  return report;
}

void ShowAutoOutputMask(TForm_AutoOut& form, const AutoOutputMask& report) {
  for (const MaskBit& b : kMaskBits)
    (form.*b.box).SetChecked(((report.mask >> b.bit) & 1) != 0);
}

void WireAutoOutputWindow(Application& app, TForm_AutoOut& form) {
  form.OnActivate = [&app] { SendAutoOutputMaskQuery(app); };
  form.Button_OK.OnClick = [&app, &form] {
    Apply(app, form);
    form.Close();
  };
  form.Button_Apply.OnClick = [&app, &form] { Apply(app, form); };
  form.Button_Close.OnClick = [&form] { form.Close(); };
}

}  // namespace zelkon
