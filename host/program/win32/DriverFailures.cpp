// The driver's failures on Windows arrive as structured exceptions. The host's calls into the driver run
// inside a frame of its own at the head of the thread's exception chain (the guard the driver's test host uses
// too), so a failure ends the calls and comes back here as text instead of ending the process.
#include "host/program/DriverFailures.h"

#include <windows.h>

#include <cstdio>
#include <exception>

#include "common/Cp1251.h"
#include "platform/win32/StructuredGuard.h"
#include "sbdriver/sbdriver.h"

namespace sbhost {
namespace {

struct GuardedCall {
    const std::function<int()>* body = nullptr;
    int* exitCode = nullptr;
    bool failed = false;
    std::string failure;
};

// No C++ exception may leave the guarded routine: its unwinding would pass the guard's frame by.
void RunBody(void* context) {
    auto& call = *static_cast<GuardedCall*>(context);
    try {
        *call.exitCode = (*call.body)();
    } catch (const std::exception& raised) {
        call.failed = true;
        call.failure = raised.what();
    } catch (...) {
        call.failed = true;
        call.failure = "an unknown C++ exception";
    }
}

// The driver's own failures carry their Windows-1251 text and its length; anything else is told by its code.
std::string TextOf(const EXCEPTION_RECORD& record) {
    const bool driverFailure =
        record.ExceptionCode == SB_EXCEPTION_SERIAL_IO || record.ExceptionCode == SB_EXCEPTION_ABSTRACT;
    if (driverFailure && record.NumberParameters >= 2 && record.ExceptionInformation[0] != 0) {
        const auto* text = reinterpret_cast<const char*>(record.ExceptionInformation[0]);
        return sb::ToUtf8(std::string(text, record.ExceptionInformation[1]));
    }
    char text[80];
    std::snprintf(text, sizeof text, "structured exception 0x%08lX at %p",
                  static_cast<unsigned long>(record.ExceptionCode), record.ExceptionAddress);
    return text;
}

}  // namespace

// A structured exception leaves the host's frames between the guard and the raise without their C++
// destructors (the system's unwinding knows nothing of them): what they held stays allocated, and sbhost
// ends right after a failure.
bool RunCatchingDriverFailures(const std::function<int()>& body, int* exitCode, std::string* failure) {
    GuardedCall call;
    call.body = &body;
    call.exitCode = exitCode;
    EXCEPTION_RECORD raised{};
    if (!sb::platform::CallCatchingStructured(&RunBody, &call, &raised)) {
        *failure = TextOf(raised);
        return false;
    }
    if (call.failed) *failure = call.failure;
    return !call.failed;
}

}  // namespace sbhost
