#include "reports/diagnostic.h"

#include "link/codec.h"
#include "reports/report_types.h"

namespace zelkon {
namespace {

namespace segments {
constexpr int kLength = 3;
constexpr int kStatus = 1;
}  // namespace segments

constexpr ReportType kTypes[] = {
    {0x5F, 0x11, segments::kLength, false, "segmentStatus", &AddFields<ParseSegmentStatus>},
};

}  // namespace

std::span<const ReportType> DiagnosticReportTypes() { return kTypes; }

std::optional<SegmentStatus> ParseSegmentStatus(const uint8_t* p, int length) {
  using namespace segments;
  if (length != kLength) return std::nullopt;
  return SegmentStatus{ReadU16(p + kStatus)};
}

void AddJson(const SegmentStatus& r, JsonObject& out) { out.Add("segmentStatus", r.status); }

}  // namespace zelkon
