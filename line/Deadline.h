// Time left until a deadline, for the bounded waits on a host's serial line.
#pragma once

#include <algorithm>
#include <chrono>

namespace sbline {

// Milliseconds from now until deadline, rounded up so that a wait of that long never ends before it; 0 once it
// has passed.
inline int MillisecondsUntil(std::chrono::steady_clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
    return static_cast<int>(std::max<long long>(left, 0));
}

}  // namespace sbline
