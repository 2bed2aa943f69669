#include "platform/Clock.h"

#include <atomic>

namespace sb::platform {
namespace {
std::atomic<TimeSource*> installed{nullptr};

TimeSource& Current() {
    TimeSource* source = installed.load(std::memory_order_acquire);
    return source != nullptr ? *source : SystemTime();
}
}  // namespace

TimeSource* InstallTimeSource(TimeSource* source) { return installed.exchange(source, std::memory_order_acq_rel); }

TimeOfDay LocalTime() { return Current().LocalTime(); }

void Sleep(uint32_t milliseconds) { Current().Sleep(milliseconds); }

}  // namespace sb::platform
