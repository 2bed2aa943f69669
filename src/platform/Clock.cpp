#include "platform/Clock.h"

#include <atomic>

namespace sb::platform {
namespace {
std::atomic<TimeSource*> installed{nullptr};
thread_local Microseconds lastSleepEnd = kNever;

TimeSource& Current() {
    TimeSource* source = installed.load(std::memory_order_acquire);
    return source != nullptr ? *source : SystemTime();
}
}  // namespace

void TimeSource::SleepUntil(Microseconds deadline) {
    const Microseconds left = deadline - Monotonic();
    if (left > 0) Sleep(static_cast<uint32_t>((left + 999) / 1000));
}

TimeSource* InstallTimeSource(TimeSource* source) { return installed.exchange(source, std::memory_order_acq_rel); }

TimeOfDay LocalTime() { return Current().LocalTime(); }

void Sleep(uint32_t milliseconds) {
    TimeSource& source = Current();
    source.Sleep(milliseconds);
    lastSleepEnd = source.Monotonic();
}

Microseconds Monotonic() { return Current().Monotonic(); }

void SleepUntil(Microseconds deadline) { Current().SleepUntil(deadline); }

Microseconds LastSleepEnd() { return lastSleepEnd; }

}  // namespace sb::platform
