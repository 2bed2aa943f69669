// A structured-exception frame of our own around a call, for failures raised by code that knows nothing of C++
// (a host language's raise, an access violation, the system).
#pragma once

#include <windows.h>

namespace sb::platform {

// Runs routine(context) with a frame registered at the head of the thread's exception chain. A structured
// exception raised inside stops there: the frames above are unwound (their own finally-handlers run), the
// frame is removed, the record is copied to *caught when it is given, and the answer is false. True when the
// routine returned. The routine must not let a C++ exception out: that unwinding would pass the frame by
// without removing it from the chain.
bool CallCatchingStructured(void (*routine)(void*), void* context, EXCEPTION_RECORD* caught);

}  // namespace sb::platform
