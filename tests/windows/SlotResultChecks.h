// What the small slots hand back, read the way a 32-bit host reads it: records through the caller's result
// address, integers widened in a clean EAX.
#pragma once

#include "HostSetup.h"

namespace wintest {

// Slot 1's description block: exactly 32 bytes, nothing after them touched.
void CheckDescription(HostSetup& host);

// Slots 2 and 3 take the low bytes of their words; slot 3 answers in a clean 32-bit register.
void CheckLineResult(HostSetup& host);

// Slot 20 for the codes 0 to 10: answer and result, and an untouched answer when the result is false.
void CheckCapabilities(HostSetup& host);

// Slot 21's record: bytes 0, 1, 14 and 15 written from slot 10's state code, the caller's other bytes kept.
void CheckStatusRecord(HostSetup& host);

}  // namespace wintest
