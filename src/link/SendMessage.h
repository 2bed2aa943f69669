#pragma once

#include <cstdint>

#include "link/DispenserMessage.h"
#include "link/LinkContext.h"

namespace sb {

constexpr uint8_t kMaxBlockData = 21;
constexpr int kSendAttempts = 3;
constexpr int kMaxUnacknowledged = 4;      // the fifth unacknowledged block ends an attempt
constexpr int kMaxPortFailuresInRow = 3;   // a block whose exchange fails this often ends the message

// Delivers message.bytes[0..length) to the point in acknowledged blocks under the point's lock and collects
// the reply into message (replyLength). 0 when the message was handled, including a dispenser that never
// answered (line state LinkFailed); the nonzero exchange result when the port kept failing on a data block.
int32_t SendMessage(LinkContext& link, DispenserMessage& message);

}  // namespace sb
