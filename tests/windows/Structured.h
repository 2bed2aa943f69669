// Catching the structured exceptions that the driver raises towards its host, the way a host language's
// exception frame does: a frame at the head of the thread's chain, unwinding, and back to the catcher.
#pragma once

#include <windows.h>

#include <type_traits>

#include "platform/win32/StructuredGuard.h"

namespace wintest {

// Runs body(); true when a structured exception left it, with its record in *caught.
template <typename Body>
bool RaisesStructured(Body&& body, EXCEPTION_RECORD* caught) {
    using BodyType = std::remove_reference_t<Body>;
    auto run = [](void* context) { (*static_cast<BodyType*>(context))(); };
    return !sb::platform::CallCatchingStructured(run, &body, caught);
}

}  // namespace wintest
