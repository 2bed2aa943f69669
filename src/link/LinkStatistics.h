// What one point's link has been through since the driver object was made, for a host's monitor
// (SbGetLinkStatistics). Each event is counted at one place in the link. The point's calls write the counters
// while any thread may read them: every field is a relaxed atomic, so a reader sees each one whole, though not
// all of them from the same instant.
#pragma once

#include <cstdint>

#include "common/Relaxed.h"
#include "link/BlockCheck.h"
#include "link/LineBytes.h"
#include "platform/Clock.h"

namespace sb {

struct LinkStatistics {
    using Counter = Relaxed<uint64_t>;

    Counter Exchanges;       // exchanges handed to the port service
    Counter Answers;         // exchanges awaiting an answer that went through and brought one the link can read
    Counter NoAnswers;       // exchanges awaiting an answer that went through without any
    Counter NaksReceived;    // lone NAKs the dispenser answered with
    Counter NaksSent;        // NAKs asking the dispenser for a block again
    Counter BadChecks;       // blocks that came with a bad block check
    Counter Waits;           // wait answers
    Counter Refusals;        // refusal answers: the request was not carried out
    Counter Resends;         // data blocks sent again after the dispenser did not acknowledge them
    Counter ResetsAsked;     // reset requests of the dispenser
    Counter ResetsSent;      // MASTER RESETs the driver started
    Counter ExchangeLimits;  // host calls that reached their exchange limit
    Relaxed<platform::Microseconds> LastAnswer = 0;  // the monotonic clock at the latest readable answer

    // An exchange awaiting replySize went through the port service, which says whether an answer came; if so,
    // count bytes of it are in answer. A garbled one (line noise, a damaged block) is no sign of the dispenser.
    void Awaited(uint8_t replySize, bool came, const uint8_t* answer, uint8_t count) {
        if (!came) {
            ++NoAnswers;
        } else if (Readable(replySize, answer, count)) {
            LastAnswer = platform::Monotonic();
            ++Answers;
        }
    }

    // An answer that came to a poll or an acknowledgement, counted as the line shows it, in a reply or drained
    // before a message alike: a block whose check fails; a sound short answer ("8" wait, "9" refusal).
    void Answered(const uint8_t* answer, uint8_t count) {
        constexpr uint8_t kShortAnswerBlock = kBlockFraming + 4;
        if (count <= kBlockFraming || answer[0] != line::STX) return;
        if (answer[count - 2] != line::ETX && answer[count - 2] != line::ETB) return;  // no block: line noise
        if (!IsValidBlock(answer, count)) {
            ++BadChecks;
        } else if (count == kShortAnswerBlock) {
            if (answer[3] == '8') ++Waits;
            if (answer[3] == '9') ++Refusals;
        }
    }

private:
    // To the link's own exchanges: EOT, a lone NAK, an acknowledgement, or a block whose frame and check are right.
    // An unframed exchange of an operation (a link unit's counter) has an answer of its own making.
    static bool Readable(uint8_t replySize, const uint8_t* answer, uint8_t count) {
        if (replySize != line::kPollReplySize && replySize != line::kAckReplySize && replySize != line::kBlockReplySize)
            return count > 0;
        if (count == 1) return answer[0] == line::EOT || answer[0] == line::NAK;
        if (count == 2 && line::IsAcknowledgement(answer)) return true;
        return IsValidBlock(answer, count);
    }
};

}  // namespace sb
