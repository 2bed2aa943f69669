#include <windows.h>

#include "platform/Clock.h"

namespace sb::platform {
namespace {
class WindowsTime final : public TimeSource {
public:
    WindowsTime() {
        LARGE_INTEGER frequency{};
        QueryPerformanceFrequency(&frequency);  // never fails on XP and later
        ticksPerSecond_ = frequency.QuadPart;
    }

    TimeOfDay LocalTime() override {
        SYSTEMTIME now{};
        GetLocalTime(&now);
        return TimeOfDay{now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
    }

    void Sleep(uint32_t milliseconds) override { ::Sleep(milliseconds); }

    Microseconds Monotonic() override {
        LARGE_INTEGER now{};
        QueryPerformanceCounter(&now);
        // Whole seconds and the rest apart, so the product cannot overflow.
        const LONGLONG seconds = now.QuadPart / ticksPerSecond_;
        const LONGLONG rest = now.QuadPart % ticksPerSecond_;
        return seconds * 1000000 + rest * 1000000 / ticksPerSecond_;
    }

private:
    LONGLONG ticksPerSecond_ = 1;
};
}  // namespace

TimeSource& SystemTime() {
    static WindowsTime instance;
    return instance;
}

}  // namespace sb::platform
