// Times of day as sbhost shows them, in local time.
#pragma once

#include <chrono>
#include <string>

namespace sbhost {

using WallTime = std::chrono::system_clock::time_point;

// "14:02:11"
std::string ClockText(WallTime when);
// "14:02:11.123"
std::string StampText(WallTime when);
// "2024-05-01T14:02:11.123": the time field of JSON objects.
std::string IsoText(WallTime when);

}  // namespace sbhost
