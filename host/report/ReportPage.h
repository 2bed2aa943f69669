// The report as one self-contained HTML page: the recording's span, every point's states and outages over
// time, the outages listed, the deliveries' table, and each point's states, volume curves and line pictures.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "host/recording/RecordingDate.h"
#include "host/report/ReportModel.h"

namespace sbhost {

// Outages listed for one point; the rest are counted.
constexpr std::size_t kOutagesListed = 20;

// Where the pictures come from, as the page tells it under its title.
struct ReportSource {
    std::vector<std::string> files;     // read in this order; at least one
    std::string scope;                  // what of the recording was kept ("point 4, 14:47 to 14:48"); empty: all
    std::vector<std::string> cautions;  // what the reader should know before trusting the pictures
    std::optional<RecordingDate> date;  // the recording's date, when it is known
};

// The model holds at least one exchange.
std::string ReportPage(const ReportModel& model, const ReportSource& source);

}  // namespace sbhost
