#include "link/LinkSequences.h"

#include "link/LineBytes.h"
#include "link/LinkFailures.h"
#include "link/PortExchange.h"

namespace sb {

void PutPollOrSelect(uint8_t* buffer, uint8_t middle) {
    buffer[0] = line::EOT;
    buffer[1] = middle;
    buffer[2] = line::ENQ;
}

uint8_t Acknowledge(LinkContext& link, uint8_t* buffer, uint8_t& digit) {
    buffer[0] = line::DLE;
    buffer[1] = digit;
    digit = line::OtherDigit(digit);
    const ExchangeOutcome outcome = PortExchange(link, buffer, 2, line::kAckReplySize);
    if (outcome.Failed()) RaiseResetFailed();
    return outcome.received;
}

void ReportResetRequest(LinkContext& link, uint8_t first, uint8_t channel) {
    ++link.Stats.ResetsAsked;
    if (link.Resets() != nullptr) link.Resets()->ResetRequested(link, first, channel);
}

}  // namespace sb
