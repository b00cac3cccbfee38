#include "reports/report_types.h"

namespace zelkon {

std::span<const ReportType> ProductReportTypes() { return {}; }

}  // namespace zelkon
