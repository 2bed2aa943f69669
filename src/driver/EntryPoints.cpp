// The two exports through which the host obtains the driver object.

#include "driver/DriverFactory.h"
#include "driver/SlotBoundary.h"
#include "logging/Log.h"
#include "platform/Paths.h"
#include "platform/UserInterface.h"
#include "sbdriver/sbdriver.h"

namespace {

// One driver per process: a repeated call returns the object already made and leaves the log running. A failure
// while it is built (no memory, no system object left) leaves the export the way a slot's failure does.
SbDriver* TheDriver(SbWindow owner, SbPortService* port) {
    return sb::AtSlotBoundary([&]() -> SbDriver* {
        sb::StartLogging();
        sb::platform::AttachUiThread(owner);
        static SbDriver* const driver = sb::NewDriver(port, sb::platform::SettingsFilePath());
        return driver;
    });
}

}  // namespace

extern "C" {

SB_EXPORT SbDriver* SB_CALL GetVM30(uint32_t, SbWindow owner, SbPortService* port) { return TheDriver(owner, port); }

SB_EXPORT SbDriver* SB_CALL GetDriver25(uint32_t, SbWindow owner, SbPortService* port, uint32_t, uint32_t, uint32_t,
                                        uint32_t, uint32_t) {
    return TheDriver(owner, port);
}

}  // extern "C"
