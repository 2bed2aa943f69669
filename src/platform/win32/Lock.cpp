#include <windows.h>

#include "platform/Lock.h"

namespace sb::platform {

struct RecursiveLock::Impl {
    CRITICAL_SECTION section;
};

RecursiveLock::RecursiveLock() : impl_(std::make_unique<Impl>()) { InitializeCriticalSection(&impl_->section); }
RecursiveLock::~RecursiveLock() { DeleteCriticalSection(&impl_->section); }
void RecursiveLock::Enter() { EnterCriticalSection(&impl_->section); }
void RecursiveLock::Leave() { LeaveCriticalSection(&impl_->section); }

}  // namespace sb::platform
