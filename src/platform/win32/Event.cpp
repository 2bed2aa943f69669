#include <windows.h>

#include <system_error>

#include "platform/Event.h"

namespace sb::platform {

struct AutoResetEvent::Impl {
    HANDLE handle = nullptr;
};

AutoResetEvent::AutoResetEvent() : impl_(std::make_unique<Impl>()) {
    impl_->handle = CreateEventA(nullptr, FALSE, FALSE, nullptr);  // auto-reset, not signalled, unnamed
    if (impl_->handle == nullptr) {
        throw std::system_error(static_cast<int>(GetLastError()), std::system_category(), "CreateEvent");
    }
}

AutoResetEvent::~AutoResetEvent() { CloseHandle(impl_->handle); }

void AutoResetEvent::Signal() { SetEvent(impl_->handle); }

bool AutoResetEvent::Wait(uint32_t timeoutMs) {
    static_assert(kInfinite == INFINITE, "the infinite timeout is the system's own");
    return WaitForSingleObject(impl_->handle, timeoutMs) == WAIT_OBJECT_0;
}

}  // namespace sb::platform
