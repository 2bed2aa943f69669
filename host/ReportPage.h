// The report as one self-contained HTML page: the recording's span, every point's states over time, the
// deliveries' table, and each point's states, volume curves and line pictures.
#pragma once

#include <string>

#include "host/ReportModel.h"

namespace sbhost {

// source: the recording's name as the page shows it. The model holds at least one exchange.
std::string ReportPage(const ReportModel& model, const std::string& source);

}  // namespace sbhost
