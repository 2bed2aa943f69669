#include <windows.h>

#include <memory>
#include <new>

#include "platform/Thread.h"

namespace sb::platform {
namespace {
struct ThreadStart {
    void (*routine)(void*);
    void* argument;
};

DWORD WINAPI RunThread(LPVOID parameter) {
    std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(parameter));
    start->routine(start->argument);
    return 0;
}
}  // namespace

bool StartDetachedThread(void (*routine)(void*), void* argument) {
    auto start = std::unique_ptr<ThreadStart>(new (std::nothrow) ThreadStart{routine, argument});
    if (!start) return false;
    HANDLE thread = CreateThread(nullptr, 0, &RunThread, start.get(), 0, nullptr);
    if (thread == nullptr) return false;
    start.release();  // the thread owns it now
    CloseHandle(thread);
    return true;
}

}  // namespace sb::platform
