// How failures cross the boundary between the driver and the host, in both directions.
#pragma once

#include <cstdint>

namespace sb::platform {

// Runs routine(context) and absorbs any failure raised inside it: a C++ exception, or on Windows a structured
// exception such as a host language's raise. True when the routine completed.
bool CallAbsorbingFailures(void (*routine)(void*), void* context);

// Called first in a catch-all: rethrows when what was caught is the system ending this thread (a POSIX
// thread's cancellation or exit unwinds it with an exception that must reach the thread's end); returns
// otherwise.
void PassThreadEnd();

enum class HostFailureKind { SerialIO, Abstract };

// Hands a failure to the host the way this platform's hosts catch it. Never returns. The slot calls it after
// every C++ scope of its own has closed, with texts in storage that outlives the call (zero-terminated). The
// reason (SB_REASON_*) travels with the POSIX exception; the Windows record keeps its two arguments.
[[noreturn]] void RaiseToHost(HostFailureKind kind, const char* cp1251, const char* utf8, uint32_t reason);

}  // namespace sb::platform
