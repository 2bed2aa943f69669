// How failures cross the boundary between the driver and the host, in both directions.
#pragma once

#include <string>

namespace sb::platform {

// Runs routine(context) and absorbs any failure raised inside it: a C++ exception, or on Windows a structured
// exception such as a host language's raise. True when the routine completed.
bool CallAbsorbingFailures(void (*routine)(void*), void* context);

enum class HostFailureKind { SerialIO, Abstract };

// Hands a failure to the host the way this platform's hosts catch it. Never returns. Called after every C++
// scope of the failing slot has closed.
[[noreturn]] void RaiseToHost(HostFailureKind kind, const std::string& cp1251, const std::string& utf8);

}  // namespace sb::platform
