#include "reports/report_types.h"

namespace zelkon {

std::span<const ReportType> PositionReportTypes() { return {}; }

}  // namespace zelkon
