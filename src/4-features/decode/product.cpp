// Product reports: software versions, manufacturing and production parameters. The production
// parameters also tell which receiver model is connected, and select its receiver type.
#include <optional>
#include <string>

#include "base/application.h"
#include "decode/product.h"
#include "main/main_form.h"
#include "receiver/receiver_type.h"
#include "text/printf.h"
#include "tools/diagnostics_form.h"
#include "views/product_form.h"

namespace zelkon {
namespace {

// Machine identification numbers with a meaning of their own.
constexpr int kMachineKeepType = 98;
constexpr int kMachineVarnel = 91;

// The software release dates count their years from 1900.
constexpr int kReleaseYearBase = 1900;

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

// The versions and dates both forms of 0x45 carry. Engineering mode adds the build number, which
// only the long form gives; without it the application shows the two numbers it has.
void ShowVersions(Application& app, const SoftwareVersion& r, std::optional<int> buildNumber) {
  TForm_Product& product = app.Window<TForm_Product>();
  const std::string version = Printf("%d.%02d", r.applicationMajor, r.applicationMinor);
  app.Window<TForm_Main>().Panel_Version.SetCaption(version);
  if (app.state.EngineeringMode && buildNumber) {
    product.Panel_NavVersion.SetCaption(
        Printf("%d.%02d.%02d", r.applicationMajor, r.applicationMinor, *buildNumber));
  } else {
    product.Panel_NavVersion.SetCaption(version);
  }
  product.Panel_NavDate.SetCaption(Printf("%d/%d/%d", r.applicationMonth, r.applicationDay,
                                          r.applicationYear + kReleaseYearBase));
  product.Panel_SigVersion.SetCaption(
      Printf("%d.%02d", r.signalProcessorMajor, r.signalProcessorMinor));
  product.Panel_SigDate.SetCaption(Printf("%d/%d/%d", r.signalProcessorMonth, r.signalProcessorDay,
                                          r.signalProcessorYear + kReleaseYearBase));
}

}  // namespace

void ShowSoftwareVersion(Application& app, const SoftwareVersion& r) {
  ShowVersions(app, r, std::nullopt);
}

void ShowSoftwareVersionLong(Application& app, const SoftwareVersionLong& r) {
  ShowVersions(app, r.version, r.buildNumber);
  app.Window<TForm_Product>().Panel_NavHour.SetCaption(
      Printf("%d:%02d:%02d", r.buildHours, r.buildMinutes, r.buildSeconds));
}

void ShowManufacturingParams(TForm_Product& product, const ManufacturingParams& r) {
  product.Panel_ManSerNumPrefix.SetCaption(Printf("%d", r.serialPrefix));
  product.Panel_ManSerNum.SetCaption(Printf("%ld", static_cast<long>(r.boardSerialNumber)));
  // Two-digit build year: 80 to 99 are the 1900s, the rest the 2000s.
  const int year = r.buildYear;
  product.Panel_ManDate.SetCaption(
      Printf("%d/%d/%s%02d", r.buildMonth, r.buildDay, year >= 80 ? "19" : "20", year));
  product.Panel_ManHour.SetCaption(Printf("%d", r.buildHour));
  product.Panel_ManOscOffset.SetCaption(Printf("%.2f", r.oscillatorOffset));
  product.Panel_ManIDNum.SetCaption(Printf("%d", r.testCode));
}

void ShowProductionParams(Application& app, const ProductionParams& r) {
  TForm_Product& product = app.Window<TForm_Product>();
  const int premiumOptions = r.premiumOptions;
  const int machineId = r.machineId;
  product.Panel_ProdOptsPrefix.SetCaption(Printf("%d", r.optionsPrefix));
  product.Panel_ProdNumExt.SetCaption(Printf("%d", r.numberExtension));
  product.Panel_ProdSerNumPrefix.SetCaption(Printf("%d", r.serialPrefix));
  product.Panel_ProdSerNum.SetCaption(Printf("%ld", static_cast<long>(r.caseSerialNumber)));
  product.Panel_ProdNum.SetCaption(Printf("%ld", static_cast<long>(r.productionNumber)));
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
