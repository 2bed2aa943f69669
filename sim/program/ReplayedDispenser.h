// A point of sbsim --replay: the recorded dispenser answers the driver (replay/RecordedLine.h), and what did not
// align with the recording is told on standard output among the points' other news.
#ifndef SBSIM_PROGRAM_REPLAYEDDISPENSER_H
#define SBSIM_PROGRAM_REPLAYEDDISPENSER_H

#include <cstddef>
#include <ostream>
#include <vector>

#include "replay/RecordedLine.h"
#include "sim/Wire.h"

namespace sbsim {

// Differences a point tells one by one; later ones are only counted, so that a driver that went its own way
// for hours does not drown its host's output.
constexpr std::size_t kToldDifferences = 100;

class ReplayedDispenser {
public:
    // strict: the first difference halts the replay; lastLine: the point's last line in the recording (0: not
    // known).
    ReplayedDispenser(std::vector<sbreplay::RecordingPart> parts, unsigned point, std::size_t lastLine, bool strict,
                      std::ostream& out);

    // One transmission of the driver; what the recorded dispenser answers (empty: silence).
    Bytes Exchange(const Bytes& sent);
    // Under --strict, the driver sent something the recording does not have at that place.
    bool Halted() const { return halted_; }

private:
    void Tell(const std::string& news);

    sbreplay::RecordedLine line_;
    unsigned point_;
    bool strict_;
    std::ostream& out_;
    std::size_t told_ = 0;
    bool endTold_ = false;
    bool errorTold_ = false;
    bool halted_ = false;
};

}  // namespace sbsim

#endif
