// The exports: the two through which the host obtains the driver object, the choice of how its slots report
// failures, and the failure returned.

#include <string>

#include "driver/DriverFactory.h"
#include "driver/HostMethodTable.h"
#include "driver/SlotBoundary.h"
#include "logging/Log.h"
#include "platform/Paths.h"
#include "platform/UserInterface.h"
#include "sbdriver/sbdriver.h"

namespace {

// One driver per process: a repeated call returns the object already made and leaves the log running. A failure
// while it is built (no memory, no system object left) leaves the export the way a slot's failure does.
SbDriver* TheDriver(SbWindow owner, SbPortService* port) {
    return sb::AtSlotBoundary(sb::SlotCall{}, [&]() -> SbDriver* {
        sb::StartLogging();
        sb::platform::AttachUiThread(owner);
        static SbDriver* const driver = sb::NewDriver(port, sb::platform::SettingsFilePath());
        // A host that forgot its port service at the first call may bring it now.
        if (port != nullptr && sb::TVM30::From(driver).Port.Install(port))
            sb::WriteLog(sb::kLevelTrace, "PORT SERVICE: installed");
        return driver;
    });
}

// The failure mode's trace line; it never fails the call.
void TraceFailureMode(uint32_t mode, const char* outcome) {
    try {
        sb::WriteLog(sb::kLevelTrace, "FAILURE MODE(" + std::to_string(mode) + "): " + outcome);
    } catch (...) {
        sb::platform::PassThreadEnd();
    }
}

}  // namespace

extern "C" {

SB_EXPORT SbDriver* SB_CALL GetVM30(uint32_t, SbWindow owner, SbPortService* port) { return TheDriver(owner, port); }

SB_EXPORT SbDriver* SB_CALL GetDriver25(uint32_t, SbWindow owner, SbPortService* port, uint32_t, uint32_t, uint32_t,
                                        uint32_t, uint32_t) {
    return TheDriver(owner, port);
}

SB_EXPORT void SB_CALL SbSetFailureMode(SbDriver* driver, uint32_t mode) {
    if (!sb::IsDriverObject(driver)) {
        TraceFailureMode(mode, "not a driver object, refused");
        return;
    }
    if (mode != SB_FAILURES_RAISE && mode != SB_FAILURES_RETURN) {
        TraceFailureMode(mode, "refused");
        return;
    }
    sb::TVM30::From(driver).FailureMode = mode;
    // A failure recorded before the switch belongs to the calls before it: raise mode never reads it again.
    sb::ClearReportedFailure();
    TraceFailureMode(mode, mode == SB_FAILURES_RETURN ? "RETURN" : "RAISE");
}

SB_EXPORT uint32_t SB_CALL SbGetLastFailure(SbFailure* out) {
    const SbFailure& record = sb::ThreadReportedFailure();
    if (out != nullptr) *out = record;
    return record.code != SB_FAILURE_NONE ? 1u : 0u;
}

SB_EXPORT uint32_t SB_CALL SbGetLastFailureReason(void) { return sb::ThreadReportedReason(); }

}  // extern "C"
