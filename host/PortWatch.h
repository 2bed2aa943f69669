// A port service between the driver and the host's lines that counts what happens on each point's line: the
// exchanges, the data blocks the dispenser did not acknowledge (the driver sends them again or gives the attempt
// up), the NAKs among them, the polls and selects nobody answered, and when the last answer came.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>

#include "line/PortServiceForwarder.h"

namespace sbhost {

struct LineCounts {
    uint64_t exchanges = 0;
    uint64_t retries = 0;
    uint64_t naks = 0;
    uint64_t silentPolls = 0;
    bool answered = false;  // an answer has come
    std::chrono::steady_clock::time_point lastAnswer;
};

class PortWatch : public sbline::PortServiceForwarder<PortWatch> {
public:
    explicit PortWatch(SbPortService* lines) : PortServiceForwarder(lines) {}

    const LineCounts& Counts(uint32_t point) const { return counts_[point < counts_.size() ? point : 0]; }

    int32_t SendReceive(uint32_t point, uint8_t* send, uint32_t sendCount, uint8_t* receive, uint32_t replySize,
                        uint32_t zero);

private:
    std::array<LineCounts, 33> counts_{};  // by point 1..32; 0 takes what names no point
};

}  // namespace sbhost
