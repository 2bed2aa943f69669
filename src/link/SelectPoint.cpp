#include "link/SelectPoint.h"

#include <string>

#include "common/Cp1251.h"
#include "link/LineBytes.h"
#include "link/LinkFailures.h"
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
        if (PortExchange(link, buffer, 3, line::kPollReplySize).Failed()) RaiseResetFailed();
        if (line::IsAcknowledgement(buffer)) return true;

        const bool answeredEot = buffer[0] == line::EOT;
        if (!answeredEot) {
            // The dispenser still has something to say: take it and throw it away.
            const uint8_t first = buffer[1];
            const bool refusal = link.ReceivedCount == 7 && buffer[3] == '9';
            Acknowledge(link, buffer, digit);
            if (buffer[3] == '?') {
                ReportResetRequest(link, first, buffer[2]);
            } else {
                if (refusal) ++link.DrainedRefusals;
                for (int drained = 1; buffer[0] != line::EOT && link.Line != LineState::LinkFailed &&
                                      drained < kMaxBlocksPerReply;
                     ++drained) {
                    Acknowledge(link, buffer, digit);
                }
            }
        }
        if (cycles > kMaxPollCycles) RaiseNotReceiving();
        if (answeredEot) break;
    }

    PutPollOrSelect(buffer, '1');
    if (PortExchange(link, buffer, 3, line::kPollReplySize).Failed()) RaiseSelectFailed();
    return line::IsAcknowledgement(buffer);
}

}  // namespace sb
