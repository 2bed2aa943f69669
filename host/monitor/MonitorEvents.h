// The monitor's JSON objects, for --json and for monitor --events FILE: a `monitor` object per point and refresh,
// and a `fault` object for every kind of fault that came again since the refresh before. Standard output (with
// --json) has every refresh's objects; the events file has the `monitor` objects of the points whose state
// changed, the faults, and what the commands typed into the monitor told: the same objects, with their times.
#pragma once

#include <cstdint>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "host/monitor/MonitorTable.h"
#include "host/program/Output.h"

namespace sbhost {

JsonObject RowJson(const PointRow& row, int refresh);

class MonitorEvents {
public:
    explicit MonitorEvents(Output& out) : out_(out) {}

    // Writes the events to path from now on; false and the reason in *error when it cannot be written.
    bool Open(const std::string& path, std::string* error);
    // One refresh's objects.
    void Refresh(const std::vector<PointRow>& rows, int refresh);
    // What a typed command told, when it told it as an object.
    void Told(const JsonObject& json);

private:
    void Write(const JsonObject& json);

    Output& out_;
    std::ofstream file_;
    std::map<uint32_t, PointRow> before_;  // by point, as the refresh before left it
};

}  // namespace sbhost
