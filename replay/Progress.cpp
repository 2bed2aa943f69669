#include "replay/Progress.h"

#include <cstdio>
#include <utility>

namespace sbreplay {

Progress::Progress(std::ostream& out, std::string name) : out_(out), name_(std::move(name)), last_(Clock::now()) {}

void Progress::Tell(uint64_t done, uint64_t total, const std::string& more) {
    const Clock::time_point now = Clock::now();
    if (now - last_ < kProgressEvery) return;
    last_ = now;
    constexpr double kMiB = 1024.0 * 1024.0;
    char line[96];
    std::snprintf(line, sizeof line, "%.1f of %.1f MiB read (%d%%)", static_cast<double>(done) / kMiB,
                  static_cast<double>(total) / kMiB, total == 0 ? 100 : static_cast<int>(done * 100 / total));
    out_ << name_ << ": " << line << (more.empty() ? "" : ", " + more) << "\n" << std::flush;
}

}  // namespace sbreplay
