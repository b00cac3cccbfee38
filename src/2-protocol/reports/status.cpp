#include "reports/report_types.h"

namespace zelkon {

std::span<const ReportType> StatusReportTypes() { return {}; }

}  // namespace zelkon
