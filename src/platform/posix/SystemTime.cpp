#include <sys/time.h>
#include <time.h>

#include <cerrno>

#include "platform/Clock.h"

namespace sb::platform {
namespace {
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
};
}  // namespace

TimeSource& SystemTime() {
    static PosixTime instance;
    return instance;
}

}  // namespace sb::platform
