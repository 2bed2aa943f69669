// A time source for tests: sleeps are recorded instead of slept, the clock shows a time the test sets. The steady
// clock stands at 0 unless the test makes it run on the sleeps.
#pragma once

#include <mutex>
#include <vector>

#include "platform/Clock.h"

namespace sbtest {

class RecordingClock final : public sb::platform::TimeSource {
public:
    RecordingClock() { previous_ = sb::platform::InstallTimeSource(this); }
    ~RecordingClock() override { sb::platform::InstallTimeSource(previous_); }
    RecordingClock(const RecordingClock&) = delete;
    RecordingClock& operator=(const RecordingClock&) = delete;

    sb::platform::TimeOfDay LocalTime() override {
        std::lock_guard<std::mutex> hold(mutex_);
        return now_;
    }
    void Sleep(uint32_t milliseconds) override {
        std::lock_guard<std::mutex> hold(mutex_);
        sleeps_.push_back(milliseconds);
        if (running_) steady_ += milliseconds * 1000LL;
    }
    sb::platform::Microseconds Monotonic() override {
        std::lock_guard<std::mutex> hold(mutex_);
        return steady_;
    }

    // From now on every sleep moves the steady clock on by its length; nothing else takes time.
    void RunOnSleeps() {
        std::lock_guard<std::mutex> hold(mutex_);
        running_ = true;
    }

    void Set(int hour, int minute, int second, int millisecond) {
        std::lock_guard<std::mutex> hold(mutex_);
        now_ = {hour, minute, second, millisecond};
    }
    std::vector<uint32_t> Sleeps() {
        std::lock_guard<std::mutex> hold(mutex_);
        return sleeps_;
    }
    void ClearSleeps() {
        std::lock_guard<std::mutex> hold(mutex_);
        sleeps_.clear();
    }

private:
    std::mutex mutex_;
    sb::platform::TimeOfDay now_{9, 5, 3, 7};
    std::vector<uint32_t> sleeps_;
    bool running_ = false;
    sb::platform::Microseconds steady_ = 0;
    sb::platform::TimeSource* previous_ = nullptr;
};

}  // namespace sbtest
