// The report's pictures as SVG: every point's states over the recording, a point's states with the volume
// curves of its deliveries, and a line's exchanges, retries and silences over time.
#pragma once

#include <string>

#include "host/report/ReportModel.h"

namespace sbhost {

std::string OverviewSvg(const ReportModel& model);
std::string PointSvg(const ReportModel& model, unsigned point);
std::string LineSvg(const ReportModel& model, unsigned point);

// The colour the pictures give a status character, for the legend too.
const char* StatusColour(char status);

}  // namespace sbhost
