// The report as one self-contained HTML page: the recording's span, every point's states over time, the
// deliveries' table, and each point's states, volume curves and line pictures.
#pragma once

#include <string>
#include <vector>

#include "host/ReportModel.h"

namespace sbhost {

// source: the recording's name as the page shows it; cautions: what the reader should know before trusting
// the pictures (lines skipped...), shown under the title. The model holds at least one exchange.
std::string ReportPage(const ReportModel& model, const std::string& source, const std::vector<std::string>& cautions);

}  // namespace sbhost
