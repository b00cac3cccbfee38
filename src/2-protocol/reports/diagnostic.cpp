#include "reports/diagnostic.h"

#include "link/codec.h"
#include "reports/report_types.h"

namespace zelkon {
namespace {

namespace segments {
constexpr int kLength = 3;
constexpr int kStatus = 1;
}  // namespace segments

namespace fatal {
constexpr int kLeast = 1;  // the sub-code alone: an empty text
constexpr uint8_t kError = 0xFF;
constexpr uint8_t kException = 0xFE;
constexpr int kText = 1;
}  // namespace fatal

constexpr ReportType kTypes[] = {
    Row<ParseSegmentStatus>({0x5F, 0x11}, segments::kLength, "segmentStatus"),
    Row<ParseFatalReport>({0x5F, fatal::kError}, fatal::kLeast, "fatalError", Lengths::AtLeast),
    Row<ParseFatalReport>({0x5F, fatal::kException}, fatal::kLeast, "fatalException",
                          Lengths::AtLeast),
};

}  // namespace

std::span<const ReportType> DiagnosticReportTypes() { return kTypes; }

std::optional<SegmentStatus> ParseSegmentStatus(std::span<const uint8_t> payload) {
  const uint8_t* p = payload.data();
  const int length = static_cast<int>(payload.size());
  using namespace segments;
  if (length != kLength) return std::nullopt;
  return SegmentStatus{ReadU16(p + kStatus)};
}

std::optional<FatalReport> ParseFatalReport(std::span<const uint8_t> payload) {
  const uint8_t* p = payload.data();
  const int length = static_cast<int>(payload.size());
  using namespace fatal;
  if (length < kLeast || (p[0] != kError && p[0] != kException)) return std::nullopt;
  return FatalReport{p[0] == kException, std::string(p + kText, p + length)};
}

void AddJson(const SegmentStatus& r, JsonObject& out) { out.Add("segmentStatus", r.status); }

void AddJson(const FatalReport& r, JsonObject& out) { out.Add("text", r.text); }

}  // namespace zelkon
