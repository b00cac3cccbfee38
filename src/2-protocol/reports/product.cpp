#include "reports/product.h"

#include "link/codec.h"
#include "reports/report_types.h"

namespace zelkon {
namespace {

namespace version {
constexpr int kLength = 10;
constexpr int kApplicationMajor = 0;
constexpr int kApplicationMinor = 1;
constexpr int kApplicationMonth = 2;
constexpr int kApplicationDay = 3;
constexpr int kApplicationYear = 4;
constexpr int kSignalProcessorMajor = 5;
constexpr int kSignalProcessorMinor = 6;
constexpr int kSignalProcessorMonth = 7;
constexpr int kSignalProcessorDay = 8;
constexpr int kSignalProcessorYear = 9;
}  // namespace version

namespace version_long {
constexpr int kLength = 96;
constexpr int kBuildNumber = 17;
constexpr int kBuildHours = 20;
constexpr int kBuildMinutes = 21;
constexpr int kBuildSeconds = 22;
}  // namespace version_long

namespace manufacturing {
constexpr int kLength = 17;
constexpr int kSerialPrefix = 1;
constexpr int kBoardSerialNumber = 3;
constexpr int kBuildYear = 7;
constexpr int kBuildMonth = 8;
constexpr int kBuildDay = 9;
constexpr int kBuildHour = 10;
constexpr int kOscillatorOffset = 11;
constexpr int kTestCode = 15;
}  // namespace manufacturing

namespace production {
constexpr int kLength = 19;
constexpr int kOptionsPrefix = 1;
constexpr int kNumberExtension = 2;
constexpr int kSerialPrefix = 3;
constexpr int kCaseSerialNumber = 5;
constexpr int kProductionNumber = 9;
constexpr int kPremiumOptions = 13;
constexpr int kMachineId = 15;
}  // namespace production

constexpr int kYearBase = 1900;  // of the software release years

// The fields both forms of 0x45 carry, at the same offsets.
SoftwareVersion VersionAt(const uint8_t* p) {
  using namespace version;
  SoftwareVersion r;
  r.applicationMajor = p[kApplicationMajor];
  r.applicationMinor = p[kApplicationMinor];
  r.applicationMonth = p[kApplicationMonth];
  r.applicationDay = p[kApplicationDay];
  r.applicationYear = p[kApplicationYear];
  r.signalProcessorMajor = p[kSignalProcessorMajor];
  r.signalProcessorMinor = p[kSignalProcessorMinor];
  r.signalProcessorMonth = p[kSignalProcessorMonth];
  r.signalProcessorDay = p[kSignalProcessorDay];
  r.signalProcessorYear = p[kSignalProcessorYear];
  return r;
}

constexpr ReportType kTypes[] = {
    Row<ParseSoftwareVersion>({0x45}, version::kLength, "softwareVersion"),
    Row<ParseSoftwareVersionLong>({0x45}, version_long::kLength, "softwareVersionLong"),
    Row<ParseManufacturingParams>({0x8F, 0x41}, manufacturing::kLength, "manufacturingParams"),
    Row<ParseProductionParams>({0x8F, 0x42}, production::kLength, "productionParams"),
};

}  // namespace

std::span<const ReportType> ProductReportTypes() { return kTypes; }

std::optional<SoftwareVersion> ParseSoftwareVersion(std::span<const uint8_t> payload) {
  const uint8_t* p = payload.data();
  const int length = static_cast<int>(payload.size());
  if (length != version::kLength) return std::nullopt;
  return VersionAt(p);
}

std::optional<SoftwareVersionLong> ParseSoftwareVersionLong(std::span<const uint8_t> payload) {
  const uint8_t* p = payload.data();
  const int length = static_cast<int>(payload.size());
  using namespace version_long;
  if (length != kLength) return std::nullopt;
  SoftwareVersionLong r;
  r.version = VersionAt(p);
  r.buildNumber = p[kBuildNumber];
  r.buildHours = p[kBuildHours];
  r.buildMinutes = p[kBuildMinutes];
  r.buildSeconds = p[kBuildSeconds];
  return r;
}

std::optional<ManufacturingParams> ParseManufacturingParams(std::span<const uint8_t> payload) {
  const uint8_t* p = payload.data();
  const int length = static_cast<int>(payload.size());
  using namespace manufacturing;
  if (length != kLength) return std::nullopt;
  ManufacturingParams r;
  r.serialPrefix = ReadU16(p + kSerialPrefix);
  r.boardSerialNumber = ReadU32(p + kBoardSerialNumber);
  r.buildYear = p[kBuildYear];
  r.buildMonth = p[kBuildMonth];
  r.buildDay = p[kBuildDay];
  r.buildHour = p[kBuildHour];
  r.oscillatorOffset = ReadSingle(p + kOscillatorOffset);
  r.testCode = ReadU16(p + kTestCode);
  return r;
}

std::optional<ProductionParams> ParseProductionParams(std::span<const uint8_t> payload) {
  const uint8_t* p = payload.data();
  const int length = static_cast<int>(payload.size());
  using namespace production;
  if (length != kLength) return std::nullopt;
  ProductionParams r;
  r.optionsPrefix = p[kOptionsPrefix];
  r.numberExtension = p[kNumberExtension];
  r.serialPrefix = ReadU16(p + kSerialPrefix);
  r.caseSerialNumber = ReadU32(p + kCaseSerialNumber);
  r.productionNumber = ReadU32(p + kProductionNumber);
  r.premiumOptions = ReadU16(p + kPremiumOptions);
  r.machineId = ReadU16(p + kMachineId);
  return r;
}

void AddJson(const SoftwareVersion& r, JsonObject& out) {
  out.Add("applicationMajor", r.applicationMajor)
      .Add("applicationMinor", r.applicationMinor)
      .Add("applicationYear", kYearBase + r.applicationYear)
      .Add("applicationMonth", r.applicationMonth)
      .Add("applicationDay", r.applicationDay)
      .Add("signalProcessorMajor", r.signalProcessorMajor)
      .Add("signalProcessorMinor", r.signalProcessorMinor)
      .Add("signalProcessorYear", kYearBase + r.signalProcessorYear)
      .Add("signalProcessorMonth", r.signalProcessorMonth)
      .Add("signalProcessorDay", r.signalProcessorDay);
}

void AddJson(const SoftwareVersionLong& r, JsonObject& out) {
  AddJson(r.version, out);
  out.Add("buildNumber", r.buildNumber)
      .Add("buildHours", r.buildHours)
      .Add("buildMinutes", r.buildMinutes)
      .Add("buildSeconds", r.buildSeconds);
}

void AddJson(const ManufacturingParams& r, JsonObject& out) {
  out.Add("serialPrefix", r.serialPrefix)
      .Add("boardSerialNumber", r.boardSerialNumber)
      .Add("buildYear", r.FullBuildYear())
      .Add("buildMonth", r.buildMonth)
      .Add("buildDay", r.buildDay)
      .Add("buildHour", r.buildHour)
      .Add("oscillatorOffset", r.oscillatorOffset)
      .Add("testCode", r.testCode);
}

void AddJson(const ProductionParams& r, JsonObject& out) {
  out.Add("optionsPrefix", r.optionsPrefix)
      .Add("numberExtension", r.numberExtension)
      .Add("serialPrefix", r.serialPrefix)
      .Add("caseSerialNumber", r.caseSerialNumber)
      .Add("productionNumber", r.productionNumber)
      .Add("premiumOptions", r.premiumOptions)
      .Add("machineId", r.machineId);
}

}  // namespace zelkon
