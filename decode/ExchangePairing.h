// Pairs the records of a recording into exchanges: a point's sent bytes with the received bytes that follow
// them. A send that no reception follows before the point's next record is an exchange without an answer.
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
    std::map<unsigned, Exchange> open_;  // by point
};

}  // namespace sbdecode
