// A time source for tests: sleeps are recorded instead of slept, the clock shows a time the test sets.
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
    sb::platform::TimeSource* previous_ = nullptr;
};

}  // namespace sbtest
