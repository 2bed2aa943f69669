// One point's trace for the soak: the driver's lines for the point and the host's own steps, the latest kept in
// a ring, so that a delivery judged wrong can show how it came about. Lines are kept as they come (the driver's
// in Windows-1251).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace soak {

class StepTrace {
public:
    explicit StepTrace(size_t capacity) : lines_(capacity) {}

    void Add(std::initializer_list<std::string_view> parts);
    // The next lines are a new delivery's.
    void BeginDelivery();
    // The lines of the current delivery and the two before it (as many as the ring still holds), a line each: a
    // wrong delivery may have its cause there, as in a customer who pumped on an earlier START's authorisation.
    std::string Recent() const;

private:
    std::vector<std::string> lines_;  // a ring; each line's string keeps its room for the next line written there
    uint64_t written_ = 0;
    std::array<uint64_t, 3> began_{};  // where the deliveries' lines begin, the oldest first
};

}  // namespace soak
