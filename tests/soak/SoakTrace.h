// One point's trace for the soak: the driver's lines for the point and the host's own steps, the latest kept in
// a ring, so that a delivery judged wrong can show how it came about. Lines are kept as they come (the driver's
// in Windows-1251).
#pragma once

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
    // The lines of the previous delivery and the current one (as many as the ring still holds), a line each.
    std::string Recent() const;

private:
    std::vector<std::string> lines_;  // a ring; each line's string keeps its room for the next line written there
    uint64_t written_ = 0;
    uint64_t previousBegan_ = 0;  // where the previous delivery's lines begin
    uint64_t currentBegan_ = 0;
};

}  // namespace soak
