#include "platform/Thread.h"

#include <system_error>
#include <thread>

namespace sb::platform {

bool StartDetachedThread(void (*routine)(void*), void* argument) {
    try {
        std::thread(routine, argument).detach();
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

}  // namespace sb::platform
