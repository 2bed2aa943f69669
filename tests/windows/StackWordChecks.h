// The bytes every slot of the driver's method table removes from the stack, measured with the stack probe.
#pragma once

#include "HostSetup.h"

namespace wintest {

// The probe itself: a cdecl function behind a stdcall pointer must show up as removing nothing, and results in
// EAX, EDX:EAX and ST(0) must pass through it.
void CheckProbeControls();

// Slots 1 to 24, each called once through the probe on kSlotPoint, against the simulated dispenser.
void CheckSlotStackWords(HostSetup& host);

}  // namespace wintest
