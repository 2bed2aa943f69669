// The monitor's table in text: a line per point with its state and figures, or with its faults kind by kind,
// fitted to a width (80 columns hold the essentials; a wide or unlimited one adds the device and the line's
// counts), in colour on a terminal; and the summary of every point's faults left on the screen at the end.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "host/lines/PortWatch.h"
#include "host/monitor/PointWorker.h"

namespace sbhost {

// A point as the monitor shows it: what its thread saw, and what its line did.
struct PointRow {
    PointView view;
    LineCounts counts;
};

struct TableLook {
    int columns = 80;     // the width to fit; 0 for no limit
    bool colour = false;  // ANSI colours
    bool faults = false;  // the faults kind by kind instead of the states
};

// What the row's state column says: "delivering grade 2", "NO ANSWER", "switched off", the driver's failure...
std::string StateText(const PointRow& row);
// The row answered in its latest round.
bool Answering(const PointRow& row);

std::string HeadingLine(const TableLook& look);
std::string PointLine(const PointRow& row, const TableLook& look);
// The summary of every point's faults: each kind with its count and the time of the last one, the driver's
// failure text on a line of its own, the device's reason.
std::string FaultSummary(const std::vector<PointRow>& rows, bool colour);

}  // namespace sbhost
