// Failures across the boundary: the driver's ESerialIO reaches the host as a structured exception with its
// Windows-1251 text, a structured exception raised by the host's port service stays inside the driver, and the
// driver keeps working afterwards.
#pragma once

#include "HostSetup.h"

namespace wintest {

// Slot 0 raises the abstract-operation exception.
void CheckAbstractSlot(HostSetup& host);

// A port that fails its send-and-receive: slot 10 raises SB_EXCEPTION_SERIAL_IO with the link layer's text,
// and the point answers a poll from another thread afterwards (no lock left held).
void CheckSerialIOReachesHost(HostSetup& host);

// A port whose send-and-receive raises like a host language, or runs into an access violation: absorbed, the
// port's own finally-handler runs, its error result is asked, and the host sees only the driver's own failure.
void CheckPortFailuresAbsorbed(HostSetup& host);

}  // namespace wintest
