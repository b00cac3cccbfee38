#include "reports/report_types.h"

#include <array>

namespace zelkon {
namespace {

constexpr uint8_t kSuperpacketId = 0x8F;
constexpr uint8_t kErrorReportId = 0x5F;

bool SameReport(const ReportType& type, uint8_t id, const uint8_t* payload, int length) {
  if (type.id != id) return false;
  return type.subCode == kNoSubCode || (length >= 1 && payload[0] == type.subCode);
}

bool Matches(const ReportType& type, uint8_t id, const uint8_t* payload, int length) {
  if (!SameReport(type, id, payload, length)) return false;
  return type.orLonger ? length >= type.length : length == type.length;
}

constexpr std::array<std::span<const ReportType> (*)(), 7> kFamilies = {
    TimingReportTypes, PositionReportTypes,   StatusReportTypes,    ProductReportTypes,
    ConfigReportTypes, DiagnosticReportTypes, SystemDataReportTypes};

std::string Hex(const uint8_t* bytes, int length) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  hex.reserve(static_cast<size_t>(length) * 2);
  for (int i = 0; i < length; ++i) {
    hex += kDigits[bytes[i] >> 4];
    hex += kDigits[bytes[i] & 0x0F];
  }
  return hex;
}

}  // namespace

bool HasSubCode(uint8_t id) { return id == kSuperpacketId || id == kErrorReportId; }

const ReportType* FindReportType(uint8_t id, const uint8_t* payload, int length) {
  for (const auto family : kFamilies) {
    for (const ReportType& type : family()) {
      if (Matches(type, id, payload, length)) return &type;
    }
  }
  return nullptr;
}

bool IsWrongLength(uint8_t id, const uint8_t* payload, int length) {
  bool known = false;
  for (const auto family : kFamilies) {
    for (const ReportType& type : family()) {
      if (Matches(type, id, payload, length)) return false;
      known = known || SameReport(type, id, payload, length);
    }
  }
  return known;
}

std::string ReportJson(uint8_t id, const uint8_t* payload, int length) {
  JsonObject object;
  object.Add("id", id);
  if (HasSubCode(id) && length >= 1) object.Add("subcode", payload[0]);
  object.Add("length", length);
  if (const ReportType* type = FindReportType(id, payload, length)) {
    JsonObject fields;
    if (type->addFields(payload, length, fields)) {
      return object.Add("report", type->name).Add("parsed", true).Append(fields).Text();
    }
  }
  return object.Add("parsed", false).Add("payload", Hex(payload, length)).Text();
}

}  // namespace zelkon
