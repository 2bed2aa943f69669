// What one point's link has been through since the driver object was made, for a host's monitor
// (SbGetLinkStatistics). Each event is counted at one place in the link. The point's calls write the counters
// while any thread may read them: every field is a relaxed atomic, so a reader sees each one whole, though not
// all of them from the same instant.
#pragma once

#include <cstdint>

#include "common/Relaxed.h"
#include "platform/Clock.h"

namespace sb {

struct LinkStatistics {
    using Counter = Relaxed<uint64_t>;

    Counter Exchanges;       // exchanges handed to the port service
    Counter Answers;         // exchanges awaiting an answer that went through and brought one, garbled or not
    Counter NoAnswers;       // exchanges awaiting an answer that went through without one
    Counter NaksReceived;    // lone NAKs the dispenser answered with
    Counter NaksSent;        // NAKs asking the dispenser for a block again
    Counter BadChecks;       // blocks of a reply that came with a bad frame or block check
    Counter Waits;           // wait answers
    Counter Refusals;        // refusal answers: the request was not carried out
    Counter Resends;         // data blocks sent again after the dispenser did not acknowledge them
    Counter ResetsAsked;     // reset requests of the dispenser
    Counter ResetsSent;      // MASTER RESETs the driver started
    Counter ExchangeLimits;  // host calls that reached their exchange limit
    Relaxed<platform::Microseconds> LastAnswer = 0;  // the monotonic clock at the latest answer

    // An exchange awaiting an answer went through the port service, which says whether one came.
    void Awaited(bool answered) {
        if (!answered) {
            ++NoAnswers;
            return;
        }
        LastAnswer = platform::Monotonic();
        ++Answers;
    }
};

}  // namespace sb
