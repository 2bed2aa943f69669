// The reference host's catching of the driver's failures (host/program/win32/DriverFailures), with the real driver:
// the structured exception of a failed exchange comes back as its text instead of ending the host.
#pragma once

#include "HostSetup.h"

namespace wintest {

// A body that returns gives its exit code; the driver's failure stops the body and gives its text in UTF-8;
// another structured exception gives its code, a C++ exception its text.
void CheckHostCatchesDriverFailures(HostSetup& host);

}  // namespace wintest
