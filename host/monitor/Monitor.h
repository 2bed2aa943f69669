// sbhost monitor: every point given on every line in one table, refreshed in place — state code and meaning,
// running figures (or that they could not be read), line result, age of the last answer, and each fault named
// apart with its count and the time of the last one. Every point runs on a thread of its own (PointWorker), so
// a point that fails, falls silent, babbles or has no device is that point's state while the others go on. A
// technician operates the points from inside it (typed commands), and may have every change and fault written
// to a file as it comes (--events).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "host/lines/PortWatch.h"
#include "host/program/Output.h"
#include "sbdriver/sbdriver.h"

namespace sbhost {

struct MonitorLines {
    SbDriver* driver;
    const std::map<uint32_t, std::string>* devices;  // point to its line's device
    PortWatch* watch;
    std::function<std::string(uint32_t point)> lineError;  // why the point's line failed, in the system's words
    uint32_t opened = 0;  // a point whose line is open already (the commands before the monitor opened it)
};

struct MonitorOptions {
    int refreshes = 0;   // tables to draw one after the other; 0: until asked to stop
    std::string events;  // the file the events go to, when not empty
};

// Runs the monitor: `refreshes` tables one after the other (for scripts), or until q, an end signal or (typed)
// quit — full screen on a terminal. Returns 0 when every point answered in the last refresh, 3 when one did not
// (named on standard error), 1 when the driver failed on one in it or the monitor could not start.
int RunMonitor(const MonitorLines& lines, const MonitorOptions& options, Output& out);

}  // namespace sbhost
