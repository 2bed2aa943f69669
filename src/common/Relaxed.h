// A value that host threads may read while another thread writes it, without a lock of its own: every access
// is one relaxed atomic load or store, so a reader sees either the old or the new value, never a torn one.
// A compound update (+=, ++) is a load and a store, as on a plain field: the host's rules keep one writer of a
// point's bookkeeping at a time, and what a call returns is the same as with a plain field.
#pragma once

#include <atomic>

namespace sb {

template <typename T>
class Relaxed {
public:
    Relaxed(T value = T{}) : value_(value) {}  // NOLINT(google-explicit-constructor): a field initialiser
    Relaxed(const Relaxed& other) : value_(other.Load()) {}
    Relaxed& operator=(const Relaxed& other) { return *this = other.Load(); }
    Relaxed& operator=(T value) {
        value_.store(value, std::memory_order_relaxed);
        return *this;
    }

    operator T() const { return Load(); }  // NOLINT(google-explicit-constructor): reads as the plain field did
    T Load() const { return value_.load(std::memory_order_relaxed); }

    Relaxed& operator+=(T delta) { return *this = static_cast<T>(Load() + delta); }
    Relaxed& operator-=(T delta) { return *this = static_cast<T>(Load() - delta); }
    T operator++() { return Step(1); }
    T operator--() { return Step(-1); }

private:
    T Step(int delta) {
        const T next = static_cast<T>(Load() + delta);
        *this = next;
        return next;
    }

    std::atomic<T> value_;
};

}  // namespace sb
