#include "sim/program/ReplayedDispenser.h"

namespace sbsim {

ReplayedDispenser::ReplayedDispenser(std::vector<sbreplay::RecordingPart> parts, unsigned point, std::size_t lastLine,
                                     bool strict, std::ostream& out)
    : line_(std::move(parts), point, lastLine), point_(point), strict_(strict), out_(out) {}

void ReplayedDispenser::Tell(const std::string& news) { out_ << "point " << point_ << " " << news << std::endl; }

Bytes ReplayedDispenser::Exchange(const Bytes& sent) {
    const bool ended = line_.Ended();
    if (!line_.error().empty() && !errorTold_) {
        Tell("recording unreadable from here: " + line_.error());
        errorTold_ = true;
    }
    if (ended && !endTold_) {
        Tell("recording ends: from here on the point answers as the recorded dispenser did, without its replies");
        endTold_ = true;
    }
    std::optional<sbreplay::Misalignment> misalignment;
    const Bytes answer = line_.Answer(sent, &misalignment);
    if (!misalignment) return answer;
    halted_ = strict_;
    // Past the end every transmission differs: the end was told once.
    if (ended) return answer;
    if (told_ < kToldDifferences) Tell("differs: " + sbreplay::MisalignmentText(*misalignment, line_));
    if (++told_ == kToldDifferences) Tell("differs further: the next differences are not told one by one");
    return answer;
}

}  // namespace sbsim
