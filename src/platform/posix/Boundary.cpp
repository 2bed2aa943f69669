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

void PassThreadEnd() {
    try {
        throw;
    } catch (const abi::__forced_unwind&) {
        throw;
    } catch (...) {
    }
}

void RaiseToHost(HostFailureKind kind, const char* cp1251, const char* utf8) {
    if (kind == HostFailureKind::Abstract) throw EAbstractError();
    throw ESerialIO(cp1251, utf8);
}

}  // namespace sb::platform
