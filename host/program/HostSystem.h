// The few system services the monitor needs beyond what the standard library gives every build (the 32-bit
// mingw-w64 one has no threads): a thread that is joined, a sleep, and the local calendar time
// (posix/HostSystem.cpp, win32/HostSystem.cpp).
#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace sbhost {

class WorkerThread {
public:
    // Starts body on a thread of its own; Started() is false when the system refused one.
    explicit WorkerThread(std::function<void()> body);
    // Waits for body to return.
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    bool Started() const;

private:
    struct Native;
    std::function<void()> body_;
    std::unique_ptr<Native> native_;
};

void SleepMilliseconds(int milliseconds);

struct CalendarTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
};
CalendarTime LocalCalendar(std::chrono::system_clock::time_point when);

}  // namespace sbhost
