#include "link/SelectPoint.h"

#include <string>

#include "common/Cp1251.h"
#include "link/LineBytes.h"
#include "link/LinkSequences.h"
#include "link/PollLimits.h"
#include "link/PortExchange.h"
#include "logging/PointTrace.h"

namespace sb {

bool SelectPoint(LinkContext& link) {
    static const SystemText kTrace("Запрос(");
    TracePoint(kTrace, link.Point());

    uint8_t buffer[256] = {};
    for (int cycles = 1;; ++cycles) {
        PutPollOrSelect(buffer, '0');
        uint8_t digit = '0';
        const ExchangeOutcome poll = PortExchange(link, buffer, 3, line::kPollReplySize);
        if (poll.Failed()) RaiseLinkFailure(LinkOutcome::PortFailure, poll.outcome);
        if (line::IsAcknowledgement(buffer)) return true;

        const bool answeredEot = buffer[0] == line::EOT;
        if (!answeredEot) {
            // The dispenser still has something to say: take it and throw it away.
            const uint8_t first = buffer[1];
            Acknowledge(link, buffer, digit);
            if (buffer[3] == '?') {
                ReportResetRequest(link, first, buffer[2]);
            } else {
                for (int drained = 1; buffer[0] != line::EOT && link.Line != LineState::LinkFailed &&
                                      drained < kMaxBlocksPerReply;
                     ++drained) {
                    Acknowledge(link, buffer, digit);
                }
            }
        }
        if (cycles > kMaxPollCycles) RaiseLinkFailure(LinkOutcome::NotReceiving);
        if (answeredEot) break;
    }

    PutPollOrSelect(buffer, '1');
    const ExchangeOutcome select = PortExchange(link, buffer, 3, line::kPollReplySize);
    if (select.Failed()) RaiseLinkFailure(LinkOutcome::SelectFailure, select.outcome);
    return line::IsAcknowledgement(buffer);
}

}  // namespace sb
