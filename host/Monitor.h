// sbhost monitor: every open point on every line in one table, refreshed in place — state code and meaning,
// nozzle, grade, running figures, line result, age of the last answer, and what the line did (exchanges,
// retries, NAKs, silent polls).
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "host/Output.h"
#include "host/PortWatch.h"
#include "sbdriver/sbdriver.h"

namespace sbhost {

struct MonitorLines {
    SbDriver* driver;
    const std::map<uint32_t, std::string>* devices;  // point to its line's device
    const PortWatch* watch;
};

// Polls the points in turn, refresh after refresh: `refreshes` of them (a table each, one after the other), or
// with 0 until a key or an end signal (full screen on a terminal). Returns 0 when every point answered in the
// last refresh, 3 when one did not.
int RunMonitor(const MonitorLines& lines, int refreshes, Output& out);

}  // namespace sbhost
