#include "platform/Boundary.h"

#include "sbdriver/sbdriver.h"

namespace sb::platform {

bool CallAbsorbingFailures(void (*routine)(void*), void* context) {
    try {
        routine(context);
        return true;
    } catch (...) {
        return false;
    }
}

void RaiseToHost(HostFailureKind kind, const char* cp1251, const char* utf8) {
    if (kind == HostFailureKind::Abstract) throw EAbstractError();
    throw ESerialIO(cp1251, utf8);
}

}  // namespace sb::platform
