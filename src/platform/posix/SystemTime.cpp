#include <sys/time.h>
#include <time.h>

#include <cerrno>

#include "platform/Clock.h"

namespace sb::platform {
namespace {
constexpr Microseconds kPerSecond = 1000000;

class PosixTime final : public TimeSource {
public:
    TimeOfDay LocalTime() override {
        timeval now{};
        gettimeofday(&now, nullptr);
        tm local{};
        localtime_r(&now.tv_sec, &local);
        return TimeOfDay{local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(now.tv_usec / 1000)};
    }

    void Sleep(uint32_t milliseconds) override {
        timespec rest{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
        // Resumes after signals; each round sleeps only what is left, so the loop ends.
        while (nanosleep(&rest, &rest) != 0 && errno == EINTR) {
        }
    }

    Microseconds Monotonic() override {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        return static_cast<Microseconds>(now.tv_sec) * kPerSecond + now.tv_nsec / 1000;
    }

    void SleepUntil(Microseconds deadline) override {
        const timespec until{static_cast<time_t>(deadline / kPerSecond),
                             static_cast<long>(deadline % kPerSecond) * 1000L};
        // Resumes after signals towards the same deadline, so the loop ends when the clock reaches it.
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
        }
    }
};
}  // namespace

TimeSource& SystemTime() {
    static PosixTime instance;
    return instance;
}

}  // namespace sb::platform
