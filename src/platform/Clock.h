// Local time of day and sleeping. Every wait of the driver and the log clock go through here, so tests can
// install a recorder instead of the system clock.
#pragma once

#include <cstdint>

namespace sb::platform {

struct TimeOfDay {
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

class TimeSource {
public:
    virtual ~TimeSource() = default;
    virtual TimeOfDay LocalTime() = 0;
    virtual void Sleep(uint32_t milliseconds) = 0;
};

// The system's own clock and sleep.
TimeSource& SystemTime();

// Replaces the time source for the whole process; nullptr restores the system one. Returns the previous one.
TimeSource* InstallTimeSource(TimeSource* source);

TimeOfDay LocalTime();
void Sleep(uint32_t milliseconds);

}  // namespace sb::platform
