#pragma once

#include <cstdint>

#include "link/LinkContext.h"

namespace sb {

// Collects the dispenser's reply: polls, checks and acknowledges each data block, concatenates the data into
// reply (never more than capacity bytes) and returns their number. Wait answers and refusals are discarded and
// polling goes on (a refusal is noted in the context's ReplyRefused); a reset request is handed to the link's ResetRequests. 0 when the dispenser had nothing to
// say or the reply was given up (then the line state is LinkFailed).
uint8_t ReceiveReply(LinkContext& link, uint8_t* reply, uint8_t capacity);

}  // namespace sb
