// Pairs the records of a recording into exchanges: a point's sent bytes with the received bytes that follow
// them. A send that no reception follows before the point's next record is an exchange without an answer; a
// send of the driver's log left open at the end is cut short, since the log tells every answer, even none.
#pragma once

#include <map>
#include <optional>
#include <vector>

#include "decode/Conversation.h"
#include "decode/TraceReader.h"

namespace sbdecode {

class ExchangePairing {
public:
    // The exchanges the record completes, in order (at most two: a send left open, and this one).
    std::vector<Exchange> Take(const TraceRecord& record);
    // The sends still open at the end of the recording.
    std::vector<Exchange> Finish();

private:
    struct OpenSend {
        Exchange exchange;
        bool logged;  // from the driver's log, not a capture
    };
    std::map<unsigned, OpenSend> open_;  // by point
};

}  // namespace sbdecode
