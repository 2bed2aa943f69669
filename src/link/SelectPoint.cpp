#include "link/SelectPoint.h"

#include <string>

#include "common/Cp1251.h"
#include "link/BlockCheck.h"
#include "link/LineBytes.h"
#include "link/LinkSequences.h"
#include "link/PollLimits.h"
#include "link/PortExchange.h"
#include "state/PointTrace.h"

namespace sb {

Selection::Selection(LinkContext& link) : link_(link) {
    static const SystemText kTrace("Запрос(");
    TracePoint(kTrace, link.Point());
}

std::optional<ResetRequest> Selection::Run() {
    if (pausedAtReset_) {
        // The end of the poll cycle the request paused.
        pausedAtReset_ = false;
        if (cycles_ > kMaxPollCycles) RaiseLinkFailure(LinkOutcome::NotReceiving);
    }
    for (;;) {  // bounded by kMaxPollCycles
        ++cycles_;
        PutPollOrSelect(buffer_, '0');
        uint8_t digit = '0';
        const ExchangeOutcome poll = PortExchange(link_, buffer_, 3, line::kPollReplySize);
        if (poll.Failed()) RaiseLinkFailure(LinkOutcome::PortFailure, poll.outcome);
        if (line::IsAcknowledgement(buffer_)) {
            ready_ = true;
            return std::nullopt;
        }

        const bool answeredEot = buffer_[0] == line::EOT;
        if (!answeredEot) {
            // The dispenser still has something to say: take it and throw it away.
            const uint8_t first = buffer_[1];
            const bool refusal = link_.ReceivedCount == kShortBlockLength && buffer_[3] == '9';
            const int channel = buffer_[2] - '0';
            if (refusal && (channel == 0 || channel == 1)) ++link_.DrainedRefusalsOn[channel];
            KeepDrainedReply();
            Acknowledge(link_, buffer_, digit);
            if (buffer_[3] == '?') {
                pausedAtReset_ = true;
                return ResetRequest{first, buffer_[2]};
            }
            for (int drained = 1;
                 buffer_[0] != line::EOT && link_.Line != LineState::LinkFailed && drained < kMaxBlocksPerReply;
                 ++drained) {
                Acknowledge(link_, buffer_, digit);
            }
        }
        if (cycles_ > kMaxPollCycles) RaiseLinkFailure(LinkOutcome::NotReceiving);
        if (answeredEot) break;
    }

    PutPollOrSelect(buffer_, '1');
    const ExchangeOutcome select = PortExchange(link_, buffer_, 3, line::kPollReplySize);
    if (select.Failed()) RaiseLinkFailure(LinkOutcome::SelectFailure, select.outcome);
    ready_ = line::IsAcknowledgement(buffer_);
    return std::nullopt;
}

void Selection::KeepDrainedReply() {
    const uint8_t count = link_.ReceivedCount;
    if (count <= kBlockFraming || buffer_[count - 2] != line::ETX || !IsValidBlock(buffer_, count)) return;
    std::vector<std::string>& kept = link_.DrainedReplies;
    if (kept.size() == LinkContext::kDrainedKept) kept.erase(kept.begin());
    kept.emplace_back(reinterpret_cast<const char*>(buffer_ + 1), count - kBlockFraming);
}

}  // namespace sb
