#pragma once

#include <cstdint>

#include "driver/TVM30.h"

namespace sb {

// Collects the dispenser's reply: polls, checks and acknowledges each data block, concatenates the data into
// reply (never more than capacity bytes) and returns their number. Wait answers and refusals are discarded and
// polling goes on; a reset request is confirmed. 0 when the dispenser had nothing to say or the reply was given
// up (then LineResult is 2).
uint8_t ReceiveReply(TVM30& driver, uint8_t point, uint8_t* reply, uint8_t capacity);

}  // namespace sb
