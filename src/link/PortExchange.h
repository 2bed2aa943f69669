// One send-and-receive with a filling point through the host's port service, and the reception handler the
// port service calls during it.
#pragma once

#include <cstdint>

#include "driver/TVM30.h"

namespace sb {

constexpr uint32_t kExchangePauseMs = 20;

// The result of an exchange the call had no budget left for (link/ExchangeBudget.h).
constexpr int32_t kBudgetSpent = -1;

// Sends the first sendCount bytes of buffer and has the answer written over it. 0 = success; otherwise the port
// service's failing result, or kBudgetSpent.
int32_t PortExchange(TVM30& driver, uint8_t point, uint8_t* buffer, uint8_t sendCount, uint8_t replySize);

// The driver's half of a reception: counts, learns the sequence digit, traces. False only for a lone NAK.
bool PortReceived(TVM30& driver, uint8_t point, const uint8_t* data, uint8_t count, uint8_t replySize);

uint32_t SB_CALL PortReceivedHandler(void* self, uint32_t point, const uint8_t* bytes, uint32_t unused,
                                     uint8_t* count, uint8_t* replySize);

// Bytes of the latest reception of each point, whatever exchange it belonged to (index 1..32).
uint8_t LastReceiveCount(uint8_t point);

}  // namespace sb
