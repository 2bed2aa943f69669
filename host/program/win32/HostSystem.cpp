#include "host/program/HostSystem.h"

#include <windows.h>

namespace sbhost {
namespace {

DWORD WINAPI RunBody(LPVOID body) {
    (*static_cast<std::function<void()>*>(body))();
    return 0;
}

// 100-nanosecond intervals from 1601 to 1970, the start of the system clock's epoch.
constexpr ULONGLONG kUnixEpochInFileTime = 116444736000000000ULL;

}  // namespace

struct WorkerThread::Native {
    HANDLE thread = nullptr;
};

WorkerThread::WorkerThread(std::function<void()> body) : body_(std::move(body)), native_(new Native) {
    native_->thread = CreateThread(nullptr, 0, &RunBody, &body_, 0, nullptr);
}

WorkerThread::~WorkerThread() {
    if (native_->thread == nullptr) return;
    WaitForSingleObject(native_->thread, INFINITE);  // the body's own calls are bounded
    CloseHandle(native_->thread);
}

bool WorkerThread::Started() const { return native_->thread != nullptr; }

void SleepMilliseconds(int milliseconds) { Sleep(static_cast<DWORD>(milliseconds)); }

CalendarTime LocalCalendar(std::chrono::system_clock::time_point when) {
    const auto units = std::chrono::duration_cast<std::chrono::microseconds>(when.time_since_epoch()).count() * 10;
    ULARGE_INTEGER value;
    value.QuadPart = static_cast<ULONGLONG>(units) + kUnixEpochInFileTime;
    FILETIME utc{value.LowPart, value.HighPart};
    FILETIME local{};
    SYSTEMTIME parts{};
    CalendarTime calendar;
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &parts)) return calendar;
    calendar.year = parts.wYear;
    calendar.month = parts.wMonth;
    calendar.day = parts.wDay;
    calendar.hour = parts.wHour;
    calendar.minute = parts.wMinute;
    calendar.second = parts.wSecond;
    calendar.millisecond = parts.wMilliseconds;
    return calendar;
}

}  // namespace sbhost
