// An auto-reset event: Signal wakes one waiter, or the next one to wait, and resets itself.
#pragma once

#include <cstdint>
#include <memory>

namespace sb::platform {

class AutoResetEvent {
public:
    static constexpr uint32_t kInfinite = 0xFFFFFFFFu;

    AutoResetEvent();
    ~AutoResetEvent();
    AutoResetEvent(const AutoResetEvent&) = delete;
    AutoResetEvent& operator=(const AutoResetEvent&) = delete;

    void Signal();
    // True when signalled, false when the timeout passed first.
    bool Wait(uint32_t timeoutMs);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace sb::platform
