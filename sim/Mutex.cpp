#include "sim/Mutex.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <mutex>
#endif

namespace sbsim {

#ifdef _WIN32
struct Mutex::Native {
    SRWLOCK lock = SRWLOCK_INIT;
};

void Mutex::lock() { AcquireSRWLockExclusive(&native_->lock); }
void Mutex::unlock() { ReleaseSRWLockExclusive(&native_->lock); }
#else
struct Mutex::Native {
    std::mutex mutex;
};

void Mutex::lock() { native_->mutex.lock(); }
void Mutex::unlock() { native_->mutex.unlock(); }
#endif

Mutex::Mutex() : native_(std::make_unique<Native>()) {}
Mutex::~Mutex() = default;

}  // namespace sbsim
