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

// Microseconds on a clock that only moves forward; only differences between two readings mean anything.
using Microseconds = int64_t;

class TimeSource {
public:
    virtual ~TimeSource() = default;
    virtual TimeOfDay LocalTime() = 0;
    virtual void Sleep(uint32_t milliseconds) = 0;

    // The steady clock. A source without one (a test's recorder) has a clock that stands still at 0, and then a
    // wait until a deadline is a Sleep of the whole time to it.
    virtual Microseconds Monotonic() { return 0; }
    // Returns once Monotonic() has reached deadline, at once when it has already. By default a Sleep of the
    // milliseconds left, rounded up.
    virtual void SleepUntil(Microseconds deadline);
};

// The system's own clock and sleep.
TimeSource& SystemTime();

// Replaces the time source for the whole process; nullptr restores the system one. Returns the previous one.
TimeSource* InstallTimeSource(TimeSource* source);

TimeOfDay LocalTime();
void Sleep(uint32_t milliseconds);
Microseconds Monotonic();
void SleepUntil(Microseconds deadline);

// When the calling thread's latest Sleep ended (Monotonic), or kNever before its first: a pause kept after the
// line went quiet starts no earlier than the waits the caller kept on its own.
constexpr Microseconds kNever = INT64_MIN;
Microseconds LastSleepEnd();

}  // namespace sb::platform
