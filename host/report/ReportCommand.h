// sbhost report LOG: one self-contained HTML page drawn from a recording (the driver's trace log or a hex
// capture) — every point's states over time, each point's states and delivery volume curves, each line's
// exchanges, retries and silences, and a table of the deliveries.
#pragma once

#include <string>
#include <vector>

#include "host/program/Output.h"

namespace sbhost {

extern const std::string kReportUsage;

// words: what follows "report". Returns the exit code: 0 written, 1 the recording could not be read or the
// page not written, 2 bad words.
int RunReport(const std::vector<std::string>& words, Output& out);

}  // namespace sbhost
