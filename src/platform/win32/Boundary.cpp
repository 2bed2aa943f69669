#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "platform/Boundary.h"
#include "platform/win32/StructuredGuard.h"
#include "sbdriver/sbdriver.h"

namespace sb::platform {
namespace {

struct GuardedCall {
    void (*routine)(void*);
    void* context;
    bool completed;
};

// Stops C++ exceptions inside the structured frame, which their unwinding would leave on the chain.
void RunCatchingCpp(void* argument) {
    auto& call = *static_cast<GuardedCall*>(argument);
    try {
        call.routine(call.context);
        call.completed = true;
    } catch (...) {
        call.completed = false;
    }
}

}  // namespace

// A Windows thread ends without unwinding: there is nothing to let pass.
void PassThreadEnd() {}

bool CallAbsorbingFailures(void (*routine)(void*), void* context) {
    GuardedCall call{routine, context, false};
    return CallCatchingStructured(&RunCatchingCpp, &call, nullptr) && call.completed;
}

void RaiseToHost(HostFailureKind kind, const char* cp1251, const char* /*utf8*/, uint32_t /*reason*/) {
    const ULONG_PTR arguments[2] = {reinterpret_cast<ULONG_PTR>(cp1251), std::strlen(cp1251)};
    const DWORD code = kind == HostFailureKind::Abstract ? SB_EXCEPTION_ABSTRACT : SB_EXCEPTION_SERIAL_IO;
    RaiseException(code, EXCEPTION_NONCONTINUABLE, 2, arguments);
    std::abort();  // the system never resumes after a noncontinuable exception
}

}  // namespace sb::platform
