// A plain mutex for the simulator, usable with std::lock_guard. The simulator builds with the 32-bit mingw-w64
// compiler, whose standard library has no threads (no std::mutex): there it is a Windows slim reader/writer
// lock, elsewhere std::mutex (which the thread sanitizer sees).
#ifndef SBSIM_MUTEX_H
#define SBSIM_MUTEX_H

#include <memory>

namespace sbsim {

class Mutex {
public:
    Mutex();
    ~Mutex();
    Mutex(const Mutex&) = delete;
    Mutex& operator=(const Mutex&) = delete;

    void lock();
    void unlock();

private:
    struct Native;
    std::unique_ptr<Native> native_;
};

}  // namespace sbsim

#endif
