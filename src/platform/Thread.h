// A detached worker thread that runs for the life of the process.
#pragma once

namespace sb::platform {

// Starts routine(argument) on a new thread; false when the system refused to create one.
bool StartDetachedThread(void (*routine)(void*), void* argument);

}  // namespace sb::platform
