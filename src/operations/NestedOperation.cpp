#include "operations/NestedOperation.h"

namespace sb {
namespace {

struct Running {
    const void* driver;
    uint8_t point;
    Maintenance kind;
};

// Plain storage per thread: nesting is a few levels deep, and anything deeper is refused.
constexpr int kMaxNesting = 16;
thread_local Running running[kMaxNesting];
thread_local int depth = 0;

bool IsRunning(const void* driver, uint8_t point, Maintenance kind) {
    for (int i = 0; i < depth; ++i) {
        if (running[i].driver == driver && running[i].point == point && running[i].kind == kind) return true;
    }
    return false;
}

}  // namespace

NestedOperation::NestedOperation(const void* driver, uint8_t point, Maintenance kind) {
    if (depth >= kMaxNesting || IsRunning(driver, point, kind)) return;
    running[depth++] = Running{driver, point, kind};
    registered_ = true;
}

NestedOperation::~NestedOperation() {
    if (registered_) --depth;
}

}  // namespace sb
