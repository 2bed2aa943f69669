// A minimal lock for the simulator's shared records. The simulator library must build without the
// threads of the standard library (the 32-bit Windows toolchain has none), so it spins on an atomic flag.
#ifndef SBSIM_SPINLOCK_H
#define SBSIM_SPINLOCK_H

#include <atomic>

namespace sbsim {

class SpinLock {
public:
    void Lock() {
        // Unbounded by design: the lock is held only for one in-memory dispenser step and a few copies,
        // never across a call into the driver, so a waiter spins for microseconds at most.
        while (flag_.test_and_set(std::memory_order_acquire)) {
        }
    }
    void Unlock() { flag_.clear(std::memory_order_release); }

private:
    std::atomic_flag flag_ = ATOMIC_FLAG_INIT;
};

class SpinGuard {
public:
    explicit SpinGuard(SpinLock& lock) : lock_(lock) { lock_.Lock(); }
    ~SpinGuard() { lock_.Unlock(); }
    SpinGuard(const SpinGuard&) = delete;
    SpinGuard& operator=(const SpinGuard&) = delete;

private:
    SpinLock& lock_;
};

}  // namespace sbsim

#endif
