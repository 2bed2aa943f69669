#include "host/program/TimeText.h"

#include <cstdio>

#include "host/program/HostSystem.h"

namespace sbhost {

std::string ClockText(WallTime when) {
    const CalendarTime t = LocalCalendar(when);
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", t.hour, t.minute, t.second);
    return text;
}

std::string StampText(WallTime when) {
    char text[8];
    std::snprintf(text, sizeof text, ".%03d", LocalCalendar(when).millisecond);
    return ClockText(when) + text;
}

std::string IsoText(WallTime when) {
    const CalendarTime t = LocalCalendar(when);
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second, t.millisecond);
    return text;
}

}  // namespace sbhost
