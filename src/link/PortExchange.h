// One send-and-receive with a filling point through the host's port service, and the reception the port
// service reports during it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "link/LinkContext.h"
#include "link/LinkOutcome.h"

namespace sb {

constexpr uint32_t kExchangePauseMs = 20;

// The size of a buffer an exchange is made with: the port service writes its answer over it, up to 255 bytes.
constexpr size_t kExchangeBufferSize = 256;

// A short answer on the line: STX, four characters, ETX and the block check. Seven bytes or more carry the
// channel and the sequence digit in bytes 2 and 3; exactly seven with a "9" are a refusal.
constexpr uint8_t kShortBlockLength = 7;

// The result of an exchange the call had no budget left for (link/ExchangeBudget.h).
constexpr int32_t kBudgetSpent = -1;

// What one exchange came to: Answered, PortFailure or ExchangeLimit; the port's result (0 = success; otherwise
// the port service's failing result, or kBudgetSpent) and the bytes of the latest reception.
struct ExchangeOutcome {
    LinkOutcome outcome = LinkOutcome::Answered;
    int32_t portResult = 0;
    uint8_t received = 0;

    bool Failed() const { return outcome != LinkOutcome::Answered; }
};

// Sends the first sendCount bytes of buffer and has the answer written over it.
ExchangeOutcome PortExchange(LinkContext& link, uint8_t* buffer, uint8_t sendCount, uint8_t replySize);

// The link's half of a reception: counts, learns the sequence digit, traces. False only for a lone NAK.
bool PortReceived(LinkContext& link, const uint8_t* data, uint8_t count, uint8_t replySize);

}  // namespace sb
