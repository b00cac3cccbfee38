// Identity and fault reports.
#include "sim/reports.h"

namespace zelkon::sim {
namespace {

uint16_t MachineIdOf(Model model) {
  switch (model) {
    case Model::Varnel:
      return 91;
    case Model::Id98:
      return 98;
    default:
      return 60;
  }
}

uint32_t SerialOf(const Receiver& r, uint32_t base) {
  return base + static_cast<uint32_t>(r.options.seed % 900000);
}

}  // namespace

Packet SoftwareVersionReport(const Receiver& r) {
  PayloadWriter p;
  // Application 3.07 of 12 June 2024, signal processor 2.11 of 1 March 2023.
  p.U8(3).U8(7).U8(6).U8(12).U8(124).U8(2).U8(11).U8(3).U8(1).U8(123);
  if (!r.options.longVersion) return p.Build(0x45);
  p.Zeros(7)     // bytes 10..16
      .U8(42)    // application build number
      .Zeros(2)  // bytes 18, 19
      .U8(13)    // build time 13:04:09
      .U8(4)
      .U8(9)
      .Zeros(96 - 23);
  return p.Build(0x45);
}

Packet ManufacturingParamsReport(const Receiver& r) {
  return PayloadWriter()
      .U8(0x41)
      .U16(45)
      .U32(SerialOf(r, 1200000))
      .U8(24)  // built 18 March 2024, 14 h
      .U8(3)
      .U8(18)
      .U8(14)
      .Single(-0.57)  // oscillator offset
      .U16(1)         // test code
      .Build(0x8F);
}

Packet ProductionParamsReport(const Receiver& r) {
  return PayloadWriter()
      .U8(0x42)
      .U8(1)  // production options prefix
      .U8(0)  // production number extension
      .U16(45)
      .U32(SerialOf(r, 3300000))
      .U32(66150)
      .U16(r.premiumOptions)
      .U16(MachineIdOf(r.options.model))
      .Zeros(2)
      .Build(0x8F);
}

Packet FatalReport(bool exception, const std::string& text) {
  PayloadWriter p;
  p.U8(exception ? 0xFE : 0xFF);
  for (char c : text)
    p.U8(static_cast<uint8_t>(c));
  return p.Build(0x5F);
}

}  // namespace zelkon::sim
