// The host's user-interface thread, where the driver's windows are made and shown.
#pragma once

#include "sbdriver/sbdriver.h"

namespace sb::platform {

// Called by the entry point on the host's thread: that thread becomes the one routines are run in, and owner
// the owner of the driver's windows. Later calls keep the first thread and owner.
void AttachUiThread(SbWindow owner);

// Runs routine(argument) in the host's user-interface thread and returns after it has returned.
void RunInUiThread(void (*routine)(void*), void* argument);

}  // namespace sb::platform
