// The product reports: the software versions (0x45, short and long form), the manufacturing
// parameters (0x8F-41) and the production parameters (0x8F-42).
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace zelkon {

class JsonObject;

// 0x45, 10 bytes: the versions and release dates of the application and the signal processor.
struct SoftwareVersion {
  uint8_t applicationMajor = 0;
  uint8_t applicationMinor = 0;
  uint8_t applicationMonth = 0;
  uint8_t applicationDay = 0;
  uint8_t applicationYear = 0;  // years since 1900
  uint8_t signalProcessorMajor = 0;
  uint8_t signalProcessorMinor = 0;
  uint8_t signalProcessorMonth = 0;
  uint8_t signalProcessorDay = 0;
  uint8_t signalProcessorYear = 0;  // years since 1900
};

// 0x45, 96 bytes: the short form's fields, and the application's build number and build time.
struct SoftwareVersionLong {
  SoftwareVersion version;
  uint8_t buildNumber = 0;
  uint8_t buildHours = 0;
  uint8_t buildMinutes = 0;
  uint8_t buildSeconds = 0;
};

// 0x8F-41, 17 bytes.
struct ManufacturingParams {
  uint16_t serialPrefix = 0;
  uint32_t boardSerialNumber = 0;
  uint8_t buildYear = 0;  // two digits: 80 to 99 the 1900s, the others the 2000s
  uint8_t buildMonth = 0;
  uint8_t buildDay = 0;
  uint8_t buildHour = 0;
  float oscillatorOffset = 0;
  uint16_t testCode = 0;

  int FullBuildYear() const { return (buildYear >= 80 ? 1900 : 2000) + buildYear; }
};

// 0x8F-42, 19 bytes. The last two bytes are not kept.
struct ProductionParams {
  uint8_t optionsPrefix = 0;
  uint8_t numberExtension = 0;
  uint16_t serialPrefix = 0;
  uint32_t caseSerialNumber = 0;
  uint32_t productionNumber = 0;
  uint16_t premiumOptions = 0;
  uint16_t machineId = 0;
};

std::optional<SoftwareVersion> ParseSoftwareVersion(std::span<const uint8_t> payload);
std::optional<SoftwareVersionLong> ParseSoftwareVersionLong(std::span<const uint8_t> payload);
std::optional<ManufacturingParams> ParseManufacturingParams(std::span<const uint8_t> payload);
std::optional<ProductionParams> ParseProductionParams(std::span<const uint8_t> payload);

void AddJson(const SoftwareVersion& report, JsonObject& out);
void AddJson(const SoftwareVersionLong& report, JsonObject& out);
void AddJson(const ManufacturingParams& report, JsonObject& out);
void AddJson(const ProductionParams& report, JsonObject& out);

}  // namespace zelkon
