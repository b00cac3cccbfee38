// Product reports: software versions, manufacturing and production parameters. The production
// parameters also tell which receiver model is connected, and select its receiver type.
#include <string>

#include "base/application.h"
#include "decode/decoders.h"
#include "link/codec.h"
#include "main/main_form.h"
#include "receiver/receiver_type.h"
#include "text/printf.h"
#include "tools/diagnostics_form.h"
#include "views/product_form.h"

namespace zelkon {
namespace {

constexpr int kVersionShortLength = 10;
constexpr int kVersionLongLength = 96;  // adds the build number and the build time
constexpr int kManufacturingLength = 17;
constexpr int kProductionLength = 19;

// Machine identification numbers with a meaning of their own.
constexpr int kMachineKeepType = 98;
constexpr int kMachineVarnel = 91;

// The receiver type a production report selects, or 0 to keep the current one.
int ReceiverTypeOf(int machineId, int premiumOptions) {
  if (machineId == kMachineKeepType) return 0;
  if (machineId == kMachineVarnel) return kTypeVarnel;
  switch (premiumOptions) {
    case 0:
      return kTypeT2K;
    case 8:
      return kTypeNetrel;
    case 4:
    case 64:
      return kTypeHarvane;
    case 2:
      return kTypeTpv2;
    default:
      return 0;
  }
}

}  // namespace

void DecodeSoftwareVersion(Application& app, const uint8_t* payload, int length) {
  if (length != kVersionShortLength && length != kVersionLongLength) return;
  TForm_Product& product = app.Window<TForm_Product>();
  const std::string version = Printf("%d.%02d", payload[0], payload[1]);
  app.Window<TForm_Main>().Panel_Version.SetCaption(version);
  // Engineering mode adds the build number, which only the long form carries; the short form
  // shows the two numbers it has.
  if (app.state.EngineeringMode && length == kVersionLongLength) {
    product.Panel_NavVersion.SetCaption(
        Printf("%d.%02d.%02d", payload[0], payload[1], payload[17]));
  } else {
    product.Panel_NavVersion.SetCaption(version);
  }
  product.Panel_NavDate.SetCaption(Printf("%d/%d/%d", payload[2], payload[3], payload[4] + 1900));
  product.Panel_SigVersion.SetCaption(Printf("%d.%02d", payload[5], payload[6]));
  product.Panel_SigDate.SetCaption(Printf("%d/%d/%d", payload[7], payload[8], payload[9] + 1900));
  if (length == kVersionLongLength) {
    product.Panel_NavHour.SetCaption(Printf("%d:%02d:%02d", payload[20], payload[21], payload[22]));
  }
}

void DecodeManufacturingParams(Application& app, const uint8_t* payload, int length) {
  if (length != kManufacturingLength) return;
  TForm_Product& product = app.Window<TForm_Product>();
  product.Panel_ManSerNumPrefix.SetCaption(Printf("%d", ReadU16(payload + 1)));
  product.Panel_ManSerNum.SetCaption(Printf("%ld", static_cast<long>(ReadU32(payload + 3))));
  // Two-digit build year: 80 to 99 are the 1900s, the rest the 2000s.
  const int year = payload[7];
  product.Panel_ManDate.SetCaption(
      Printf("%d/%d/%s%02d", payload[8], payload[9], year >= 80 ? "19" : "20", year));
  product.Panel_ManHour.SetCaption(Printf("%d", payload[10]));
  product.Panel_ManOscOffset.SetCaption(Printf("%.2f", ReadSingle(payload + 11)));
  product.Panel_ManIDNum.SetCaption(Printf("%d", ReadU16(payload + 15)));
}

void DecodeProductionParams(Application& app, const uint8_t* payload, int length) {
  if (length != kProductionLength) return;
  TForm_Product& product = app.Window<TForm_Product>();
  const int premiumOptions = ReadU16(payload + 13);
  const int machineId = ReadU16(payload + 15);
  product.Panel_ProdOptsPrefix.SetCaption(Printf("%d", payload[1]));
  product.Panel_ProdNumExt.SetCaption(Printf("%d", payload[2]));
  product.Panel_ProdSerNumPrefix.SetCaption(Printf("%d", ReadU16(payload + 3)));
  product.Panel_ProdSerNum.SetCaption(Printf("%ld", static_cast<long>(ReadU32(payload + 5))));
  product.Panel_ProdNum.SetCaption(Printf("%ld", static_cast<long>(ReadU32(payload + 9))));
  product.Panel_ProdPremOpt.SetCaption(Printf("%d", premiumOptions));
  product.Panel_ProdIDNum.SetCaption(Printf("%d", machineId));

  // The product type the diagnostics window would set, as the premium options tell it.
  TForm_Diagnostics& diagnostics = app.Window<TForm_Diagnostics>();
  if (premiumOptions & 0x01) {
    diagnostics.RadioButton_Sorvek.SetChecked(true);
  } else if (premiumOptions & 0x04) {
    diagnostics.RadioButton_Harvane.SetChecked(true);
  } else {
    diagnostics.RadioButton_Standard.SetChecked(true);
  }

  if (const int type = ReceiverTypeOf(machineId, premiumOptions); type != 0) {
    ReceiverTypeFromReport(app, type);
  }
}

}  // namespace zelkon
