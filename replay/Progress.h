// A line on standard error now and then while a long reading or replay runs, so that nobody takes it for hung:
// how far it got through the recording, and what it found so far.
#pragma once

#include <chrono>
#include <cstdint>
#include <ostream>
#include <string>

namespace sbreplay {

// A run shorter than this tells nothing; a longer one tells its progress once in every such stretch.
constexpr std::chrono::seconds kProgressEvery{5};

class Progress {
public:
    // name begins each line ("sbhost: replay").
    Progress(std::ostream& out, std::string name);
    // Tells done of total bytes and what else there is to say, when kProgressEvery has passed since the start
    // and since the line before.
    void Tell(uint64_t done, uint64_t total, const std::string& more = "");

private:
    using Clock = std::chrono::steady_clock;
    std::ostream& out_;
    std::string name_;
    Clock::time_point last_;
};

}  // namespace sbreplay
