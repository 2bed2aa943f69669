#include <windows.h>

#include "platform/Clock.h"

namespace sb::platform {
namespace {
class WindowsTime final : public TimeSource {
public:
    TimeOfDay LocalTime() override {
        SYSTEMTIME now{};
        GetLocalTime(&now);
        return TimeOfDay{now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
    }

    void Sleep(uint32_t milliseconds) override { ::Sleep(milliseconds); }
};
}  // namespace

TimeSource& SystemTime() {
    static WindowsTime instance;
    return instance;
}

}  // namespace sb::platform
