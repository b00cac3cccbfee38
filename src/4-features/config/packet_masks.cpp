#include "config/packet_masks.h"

#include <array>
#include <cstdint>

#include "base/application.h"
#include "commands/commands.h"
#include "config/packet_masks_form.h"
#include "config/varnel_port_a_out_form.h"

namespace zelkon {
namespace {

// One box of a window and the bit it stands for in a byte of a report.
template <class Window, class Report>
struct BoxBit {
  CheckBox Window::*box;
  uint8_t Report::*byte;
  int bit;
};

using OptionBit = BoxBit<TForm_PacketMasks, IoOptions>;
using MaskBit = BoxBit<TForm_PacketMasks, BroadcastMask>;

using F = TForm_PacketMasks;

constexpr std::array<OptionBit, 16> kOptionBits = {{
    {&F::CheckBox_PosXYZ, &IoOptions::position, 0},
    {&F::CheckBox_PosLLA, &IoOptions::position, 1},
    {&F::CheckBox_OutputMSL, &IoOptions::position, 2},
    {&F::CheckBox_InputMSL, &IoOptions::position, 3},
    {&F::CheckBox_PosDouble, &IoOptions::position, 4},
    {&F::CheckBox_Pos8F20, &IoOptions::position, 5},
    {&F::CheckBox_VelXYZ, &IoOptions::velocity, 0},
    {&F::CheckBox_VelENU, &IoOptions::velocity, 1},
    {&F::CheckBox_TimeType, &IoOptions::timing, 0},
    {&F::CheckBox_TimeCompute, &IoOptions::timing, 1},
    {&F::CheckBox_TimeOutput, &IoOptions::timing, 2},
    {&F::CheckBox_TimeSynch, &IoOptions::timing, 3},
    {&F::CheckBox_TimeMinimize, &IoOptions::timing, 4},
    {&F::CheckBox_AuxRaw, &IoOptions::auxiliary, 0},
    {&F::CheckBox_AuxDoppler, &IoOptions::auxiliary, 1},
    {&F::CheckBox_dBc_Hz, &IoOptions::auxiliary, 3},
}};

constexpr std::array<MaskBit, 12> kMaskBits = {{
    {&F::CheckBox_B1Bit0, &BroadcastMask::mask1, 0},
    {&F::CheckBox_B1Bit1, &BroadcastMask::mask1, 1},
    {&F::CheckBox_B1Bit2, &BroadcastMask::mask1, 2},
    {&F::CheckBox_B1Bit3, &BroadcastMask::mask1, 3},
    {&F::CheckBox_B1Bit4, &BroadcastMask::mask1, 4},
    {&F::CheckBox_B1Bit5, &BroadcastMask::mask1, 5},
    {&F::CheckBox_B1Bit6, &BroadcastMask::mask1, 6},
    {&F::CheckBox_B1Bit7, &BroadcastMask::mask1, 7},
    {&F::CheckBox_B2Bit0, &BroadcastMask::mask2, 0},
    {&F::CheckBox_B2Bit5, &BroadcastMask::mask2, 5},
    {&F::CheckBox_B2Bit6, &BroadcastMask::mask2, 6},
    {&F::CheckBox_B2Bit7, &BroadcastMask::mask2, 7},
}};

// The boxes whose state change re-captions the position boxes.
constexpr std::array<CheckBox F::*, 8> kRecaptioningBoxes = {
    &F::CheckBox_PosDouble, &F::CheckBox_TimeSynch, &F::CheckBox_TimeMinimize, &F::CheckBox_B1Bit2,
    &F::CheckBox_B1Bit3,    &F::CheckBox_B1Bit6,    &F::CheckBox_B1Bit7,       &F::CheckBox_B2Bit6};

// The position captions by the double-precision state: XYZ at [state], LLA at [2 + state].
constexpr std::array<const char*, 4> kPositionCaptions = {
    "Output XYZ ECEF (Packet 42)", "Output XYZ ECEF (Packet 83)", "Output LLA (Packet 4A)",
    "Output LLA (Packet 84)"};

template <class Window, class Report, size_t N>
Report ReadBits(const Window& form, const std::array<BoxBit<Window, Report>, N>& bits) {
  Report report;
  for (const auto& b : bits) {
    if ((form.*b.box).Checked())
      report.*b.byte = static_cast<uint8_t>(report.*b.byte | (1u << b.bit));
  }
  return report;
}

template <class Window, class Report, size_t N>
void WriteBits(Window& form, const Report& report,
               const std::array<BoxBit<Window, Report>, N>& bits) {
  for (const auto& b : bits)
    (form.*b.box).SetChecked(((report.*b.byte >> b.bit) & 1) != 0);
}

// The buttons of one panel of the port A window, by the value they stand for.
using V = TForm_VarnelPortAOut;
using Choices = std::array<RadioButton V::*, 4>;
constexpr Choices kComprehensiveChoices = {&V::RadioButton_Request0B, &V::RadioButton_PPS0B,
                                           &V::RadioButton_Event0B, &V::RadioButton_Both0B};
constexpr Choices kUtcTimeChoices = {&V::RadioButton_RequestAD, &V::RadioButton_PPSAD,
                                     &V::RadioButton_EventAD, &V::RadioButton_BothAD};

// Mask 1 holds the PPS bit and the event bit of port A side by side, 0x8F-0B at bit 0 and 0x8F-AD
// at bit 4: the two bits read as a number are the option value.
constexpr int kComprehensiveShift = 0;
constexpr int kUtcTimeShift = 4;
constexpr int kOptionBitsMask = 0x03;

constexpr uint8_t kComprehensiveSubCode = 0x0B;
constexpr uint8_t kUtcTimeSubCode = 0xAD;

int ChosenValue(const V& form, const Choices& choices, FieldReader& read, const char* label) {
  for (size_t value = 0; value < choices.size(); ++value) {
    if ((form.*choices[value]).Checked()) return static_cast<int>(value);
  }
  read.NotSet(label);
  return 0;
}

void QueryPacketMasks(Application& app) {
  SendIoOptionsQuery(app);
  app.clock.SleepMs(kCommandPauseMs);
  SendBroadcastMaskQuery(app);
}

// Sends the two option forms; true when they were sent.
bool ApplyPortAOutput(Application& app, const V& form) {
  return SendOrWarn(app, ReadPortAOutput(form), [&app](const PortAOutput& output) {
    SendOutputOption(app, kComprehensiveSubCode, output.comprehensive);
    SendOutputOption(app, kUtcTimeSubCode, output.utcTime);
  });
}

}  // namespace

IoOptions ReadIoOptions(const TForm_PacketMasks& form) { return ReadBits(form, kOptionBits); }

void ShowIoOptions(TForm_PacketMasks& form, const IoOptions& report) {
  WriteBits(form, report, kOptionBits);
}

BroadcastMask ReadBroadcastMask(const TForm_PacketMasks& form) { return ReadBits(form, kMaskBits); }

void ShowBroadcastMask(TForm_PacketMasks& form, TForm_VarnelPortAOut& portA,
                       const BroadcastMask& report) {
  WriteBits(form, report, kMaskBits);
  WritePortAOutput(portA, report);
}

void CheckBox_PosDoubleClick(TForm_PacketMasks& form) {
  const size_t state = form.CheckBox_PosDouble.Checked() ? 1 : 0;
  form.CheckBox_PosXYZ.SetCaption(kPositionCaptions[state]);
  form.CheckBox_PosLLA.SetCaption(kPositionCaptions[2 + state]);
}

WindowValues<PortAOutput> ReadPortAOutput(const TForm_VarnelPortAOut& form) {
  FieldReader read;
  PortAOutput output;
  output.comprehensive = ChosenValue(form, kComprehensiveChoices, read, "Super Packet 8F-0B");
  output.utcTime = ChosenValue(form, kUtcTimeChoices, read, "Super Packet 8F-AD");
  return read.Result(output);
}

void WritePortAOutput(TForm_VarnelPortAOut& form, const BroadcastMask& report) {
  const auto value = [&report](int shift) {
    return static_cast<size_t>((report.mask1 >> shift) & kOptionBitsMask);
  };
  (form.*kComprehensiveChoices[value(kComprehensiveShift)]).SetChecked(true);
  (form.*kUtcTimeChoices[value(kUtcTimeShift)]).SetChecked(true);
}

void WirePacketMasksWindow(Application& app, TForm_PacketMasks& form) {
  form.OnActivate = [&app] { QueryPacketMasks(app); };
  form.Button_Set35.OnClick = [&app, &form] { SendIoOptions(app, ReadIoOptions(form)); };
  form.Button_Set8EA5.OnClick = [&app, &form] {
    const BroadcastMask mask = ReadBroadcastMask(form);
    SendBroadcastMask(app, mask.mask1, mask.mask2);
  };
  form.Button_Close.OnClick = [&form] { form.Close(); };
  // A check box fires its click handler on every change of state, the operator's and a decoder's.
  for (CheckBox F::*box : kRecaptioningBoxes)
    (form.*box).OnClick = [&form] { CheckBox_PosDoubleClick(form); };
}

void WireVarnelPortAOutWindow(Application& app, TForm_VarnelPortAOut& form) {
  form.OnActivate = [&app] { SendBroadcastMaskQuery(app); };
  form.Button_OK.OnClick = [&app, &form] {
    // A window that could not be sent stays open with its warning.
    if (ApplyPortAOutput(app, form)) form.Close();
  };
  form.Button_Apply.OnClick = [&app, &form] { ApplyPortAOutput(app, form); };
  form.Button_Cancel.OnClick = [&form] { form.Close(); };
}

}  // namespace zelkon
