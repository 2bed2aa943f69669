#include "platform/Lock.h"

#include <mutex>

namespace sb::platform {

struct RecursiveLock::Impl {
    std::recursive_mutex mutex;
};

RecursiveLock::RecursiveLock() : impl_(std::make_unique<Impl>()) {}
RecursiveLock::~RecursiveLock() = default;
void RecursiveLock::Enter() { impl_->mutex.lock(); }
void RecursiveLock::Leave() { impl_->mutex.unlock(); }

}  // namespace sb::platform
