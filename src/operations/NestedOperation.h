// Marks a maintenance operation as running for a point on the calling thread, so that the same operation asked
// for again from inside itself (a status decoded in its reply asking for it once more) is not started again.
// Other threads, and other points, are not affected.
#pragma once

#include <cstdint>

namespace sb {

enum class Maintenance : uint8_t { MasterReset, ConfirmReset };

class NestedOperation {
public:
    NestedOperation(const void* driver, uint8_t point, Maintenance kind);
    ~NestedOperation();
    NestedOperation(const NestedOperation&) = delete;
    NestedOperation& operator=(const NestedOperation&) = delete;

    // True when the operation already runs for the point on this thread (or nesting is deeper than can be
    // tracked); the caller then does not start it again.
    bool AlreadyRunning() const { return !registered_; }

private:
    bool registered_ = false;
};

}  // namespace sb
