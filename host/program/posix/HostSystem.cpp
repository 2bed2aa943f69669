#include "host/program/HostSystem.h"

#include <ctime>
#include <system_error>
#include <thread>

namespace sbhost {

struct WorkerThread::Native {
    std::thread thread;
};

WorkerThread::WorkerThread(std::function<void()> body) : body_(std::move(body)), native_(new Native) {
    try {
        native_->thread = std::thread(body_);
    } catch (const std::system_error&) {
        // Started() tells.
    }
}

WorkerThread::~WorkerThread() {
    if (native_->thread.joinable()) native_->thread.join();  // the body's own calls are bounded
}

bool WorkerThread::Started() const { return native_->thread.joinable(); }

void SleepMilliseconds(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

CalendarTime LocalCalendar(std::chrono::system_clock::time_point when) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    std::tm local{};
    localtime_r(&seconds, &local);
    const auto sinceSecond = when - std::chrono::system_clock::from_time_t(seconds);
    CalendarTime calendar;
    calendar.year = local.tm_year + 1900;
    calendar.month = local.tm_mon + 1;
    calendar.day = local.tm_mday;
    calendar.hour = local.tm_hour;
    calendar.minute = local.tm_min;
    calendar.second = local.tm_sec;
    calendar.millisecond =
        static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(sinceSecond).count() % 1000);
    return calendar;
}

}  // namespace sbhost
