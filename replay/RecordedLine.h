// One recorded dispenser played again on its line. Each transmission of the driver is answered with what the
// recorded dispenser answered to the matching recorded transmission (silence where it gave none); the recording
// is read as the line goes, a window of exchanges ahead and behind at a time.
//
// Where the driver sends something the recording does not have at that place, the line takes the nearest
// alignment it can justify, and tells it:
//   ahead    the same transmission comes later in the recording: the exchanges before it are passed over. A data
//            block is looked for through the whole window ahead; a poll, select, acknowledgement or EOT only up to
//            the recording's next data block, since beyond it the dispenser answers a later conversation.
//   again    the recording had the same transmission before, answered without data: answered as it was then
//            (ready, an acknowledgement, EOT, NAK), the recording's place kept. The driver repeats what it did
//            already, or goes on past the recording's end. A reply the dispenser sent is never sent twice.
//   silence  neither: the recorded dispenser never answered such a thing nearby, so it does not answer now.
#pragma once

#include <cstddef>
#include <deque>
#include <istream>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "decode/ExchangePairing.h"
#include "decode/TraceReader.h"
#include "replay/Progress.h"
#include "replay/RecordingSet.h"

namespace sbreplay {

// Recorded exchanges of the point a line holds ahead of its place and behind it.
constexpr std::size_t kAlignmentWindow = 256;

// The same transmission, as far as the recorded dispenser can tell: equal bytes, or data blocks whose data differ
// only in the two characters a message's first block is stamped with (the sequence digit and request byte, which
// the driver's own history sets), and so in their check.
bool SameTransmission(const sbdecode::Bytes& a, const sbdecode::Bytes& b);

struct Misalignment {
    enum class Taken { kAhead, kAgain, kSilence };
    sbdecode::Bytes sent;                        // the driver's transmission
    std::optional<sbdecode::Exchange> expected;  // the recording's exchange at this place; none past its end
    Taken taken = Taken::kSilence;
    std::optional<sbdecode::Exchange> answeredAs;  // kAhead, kAgain: the recorded exchange whose answer was given
    std::size_t passedOver = 0;                    // kAhead: recorded exchanges passed over
};

class RecordedLine {
public:
    // lastLine: the recording's last line of the point, where reading for it may stop (0: read to the end).
    RecordedLine(std::vector<RecordingPart> parts, unsigned point, std::size_t lastLine = 0);
    RecordedLine(const RecordedLine&) = delete;
    RecordedLine& operator=(const RecordedLine&) = delete;

    // The answer to the driver's transmission; *misalignment tells how it was found when not at the recording's
    // next exchange.
    sbdecode::Bytes Answer(const sbdecode::Bytes& sent, std::optional<Misalignment>* misalignment);

    // The recording holds no further exchange of the point.
    bool Ended();
    // "line 120", "HOST.pro.3 line 120".
    std::string Where(std::size_t line) const { return files_.Where(line); }
    // Why the recording could not be read to its end; empty when it could.
    const std::string& error() const { return files_.error(); }

private:
    // Reads on until `ahead` exchanges lie ahead or the point's recording ends.
    void Fill(std::size_t ahead);
    void Played(sbdecode::Exchange exchange);

    unsigned point_;
    std::size_t lastLine_;
    ChainedFiles files_;
    std::istream in_;
    sbdecode::TraceReader reader_;
    sbdecode::ExchangePairing pairing_;
    bool read_ = false;  // the recording has been read to its end
    std::deque<sbdecode::Exchange> ahead_;
    std::deque<sbdecode::Exchange> behind_;  // the latest first
};

// What a recording holds, read through once: the points it has exchanges of, and where the host first starts.
struct RecordingOutline {
    std::set<unsigned> points;
    std::map<unsigned, std::size_t> lastLines;  // each point's last line with bytes
    std::vector<std::size_t> starts;            // the lines where a run of the host starts (after an empty line)
    bool logged = false;                        // bytes from the driver's log, not only a capture's
    bool captured = false;                      // bytes from a hex capture
    std::vector<std::string> unreadableParts;   // files of the set with no line of either form
    // Lines read otherwise than the driver writes them: "3 lines end in CR CR LF (the first at line 2)...".
    std::vector<std::string> conversions;
};
// False and why in *error when it cannot be read through; progress (may be null) is told as it goes.
bool ReadOutline(const std::vector<RecordingPart>& parts, Progress* progress, RecordingOutline* outline,
                 std::string* error);

// The misalignment in words: "the driver sent select where the recording has poll (12:56:24.362, line 64);
// answered as the recording's select at 12:56:24.391 (line 66): ready 0, 1 recorded exchange passed over".
std::string MisalignmentText(const Misalignment& misalignment, const RecordedLine& line);

}  // namespace sbreplay
