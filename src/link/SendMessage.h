#pragma once

#include <cstdint>

#include "link/DispenserMessage.h"
#include "link/LinkContext.h"
#include "link/LinkOutcome.h"

namespace sb {

constexpr uint8_t kMaxBlockData = 21;
constexpr int kSendAttempts = 3;
constexpr int kMaxUnacknowledged = 4;      // the fifth unacknowledged block ends an attempt
constexpr int kMaxPortFailuresInRow = 3;   // a block whose exchange fails this often ends the message

// What sending a message came to: Answered once it was delivered, NotSelected or NakLimit when no attempt got
// it through (line state LinkFailed), DataPortFailure or ExchangeLimit when the port stopped it on a data block.
struct SendResult {
    LinkOutcome outcome = LinkOutcome::Answered;
    int32_t portResult = 0;  // the port service's failing result when it stopped the message

    bool PortStopped() const {
        return outcome == LinkOutcome::DataPortFailure || outcome == LinkOutcome::ExchangeLimit;
    }
};

// Delivers message.bytes[0..length) to the point in acknowledged blocks under the point's lock and collects
// the reply into message (replyLength).
SendResult SendMessage(LinkContext& link, DispenserMessage& message);

}  // namespace sb
