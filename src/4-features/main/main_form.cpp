#include "main/main_form.h"

namespace zelkon {

TForm_Main::TForm_Main() : Form("TForm_Main", "Tempavo Opal Timing Receiver Monitor") {}

std::array<Shape*, 16> TForm_Main::AlarmLedByBit() {
  return {nullptr,     &Shape_Bit1, &Shape_Bit2, &Shape_Bit3, nullptr,      &Shape_Bit5,
          &Shape_Bit6, &Shape_Bit7, &Shape_Bit8, &Shape_Bit9, &Shape_Bit10, &Shape_Bit11,
          nullptr,     nullptr,     nullptr,     nullptr};
}

std::array<Shape*, 10> TForm_Main::AlarmLeds() {
  return {&Shape_Bit1, &Shape_Bit2, &Shape_Bit3, &Shape_Bit5,  &Shape_Bit6,
          &Shape_Bit7, &Shape_Bit8, &Shape_Bit9, &Shape_Bit10, &Shape_Bit11};
}

std::array<MenuItem*, 6> TForm_Main::ReceiverTypeItems() {
  return {&RecTypeT2K,     &RecTypeT2KNetrel, &RecTypeT2KHV,
          &RecTypeT2KTPV2, &RecTypeVarnel,    &RecTypeOrlaUTC};
}

}  // namespace zelkon
