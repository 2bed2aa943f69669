// The native suite's soak, shorter, against the 32-bit library, whose arithmetic is x87's: 32 points at once,
// a host thread each, whole deliveries under random line faults (soak/SoakHost.h). Every accepted delivery must
// carry the dispenser's own sale.
#pragma once

#include "HostSetup.h"

namespace wintest {

void CheckSoak(HostSetup& host);

}  // namespace wintest
