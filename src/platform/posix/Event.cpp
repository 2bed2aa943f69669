#include "platform/Event.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace sb::platform {

struct AutoResetEvent::Impl {
    std::mutex mutex;
    std::condition_variable changed;
    bool signalled = false;
};

AutoResetEvent::AutoResetEvent() : impl_(std::make_unique<Impl>()) {}
AutoResetEvent::~AutoResetEvent() = default;

void AutoResetEvent::Signal() {
    {
        std::lock_guard<std::mutex> hold(impl_->mutex);
        impl_->signalled = true;
    }
    impl_->changed.notify_one();
}

bool AutoResetEvent::Wait(uint32_t timeoutMs) {
    std::unique_lock<std::mutex> hold(impl_->mutex);
    auto isSet = [this] { return impl_->signalled; };
    if (timeoutMs == kInfinite) {
        impl_->changed.wait(hold, isSet);
    } else if (!impl_->changed.wait_for(hold, std::chrono::milliseconds(timeoutMs), isSet)) {
        return false;
    }
    impl_->signalled = false;
    return true;
}

}  // namespace sb::platform
