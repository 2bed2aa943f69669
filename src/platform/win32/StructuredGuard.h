// A structured-exception frame of our own around a call, for failures raised by code that knows nothing of C++
// (a host language's raise, an access violation, the system).
#pragma once

#include <windows.h>

namespace sb::platform {

// The head of this thread's exception chain: the first word of its thread block, at fs:[0].
inline EXCEPTION_REGISTRATION_RECORD* ExceptionChainHead() {
    EXCEPTION_REGISTRATION_RECORD* head;
    asm volatile("movl %%fs:0, %0" : "=r"(head) : : "memory");
    return head;
}

inline void SetExceptionChainHead(EXCEPTION_REGISTRATION_RECORD* head) {
    asm volatile("movl %0, %%fs:0" : : "r"(head) : "memory");
}

// Runs routine(context) with a frame registered at the head of the thread's exception chain. A structured
// exception raised inside stops there: the frames above are unwound (their own finally-handlers run), the
// frame is removed, the record is copied to *caught when it is given, and the answer is false. True when the
// routine returned. The routine must not let a C++ exception out: that unwinding would pass the frame by
// without removing it from the chain.
bool CallCatchingStructured(void (*routine)(void*), void* context, EXCEPTION_RECORD* caught);

}  // namespace sb::platform
