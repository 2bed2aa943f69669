// The link's calls as the operations make them. A reset request the dispenser makes on the way pauses the link
// call; the dispenser's request is confirmed here, and the call goes on where the line has it paused.
#pragma once

#include <cstdint>

#include "link/SendMessage.h"
#include "operations/Station.h"

namespace sb {

SendResult SendConfirmingResets(Station& station, uint8_t point, DispenserMessage& message);

// The reply's length: 0 when the dispenser had nothing to say or the reply was given up.
uint8_t ReceiveConfirmingResets(Station& station, uint8_t point, uint8_t* reply, uint8_t capacity);

}  // namespace sb
