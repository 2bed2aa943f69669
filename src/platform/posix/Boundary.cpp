#include "platform/Boundary.h"

#include <cxxabi.h>

#include "sbdriver/sbdriver.h"

namespace sb::platform {

bool CallAbsorbingFailures(void (*routine)(void*), void* context) {
    try {
        routine(context);
        return true;
    } catch (...) {
        PassThreadEnd();
        return false;
    }
}

// A thread's end (pthread_exit, cancellation) is caught by its type alone: it carries no exception object, and
// the undefined-behaviour sanitizer would take the reference bound to it for a null reference.
__attribute__((no_sanitize("null"))) void PassThreadEnd() {
    try {
        throw;
    } catch (const abi::__forced_unwind&) {
        throw;
    } catch (...) {
    }
}

void RaiseToHost(HostFailureKind kind, const char* cp1251, const char* utf8, uint32_t reason) {
    if (kind == HostFailureKind::Abstract) throw EAbstractError();
    throw ESerialIO(cp1251, utf8, reason);
}

}  // namespace sb::platform
