// The display steps of the product reports.
#pragma once

#include "reports/product.h"

namespace zelkon {

class Application;
class TForm_Product;

// 0x45 of 10 bytes: the versions and dates of the product window and the main window's version.
void ShowSoftwareVersion(Application& app, const SoftwareVersion& report);
// 0x45 of 96 bytes: the same, the build number in engineering mode, and the build time.
void ShowSoftwareVersionLong(Application& app, const SoftwareVersionLong& report);
// 0x8F-41: the manufacturing box of the product window.
void ShowManufacturingParams(TForm_Product& form, const ManufacturingParams& report);
// 0x8F-42: the production box of the product window, the diagnostics window's product type, and
// the receiver type the machine number and premium options tell.
void ShowProductionParams(Application& app, const ProductionParams& report);

}  // namespace zelkon
