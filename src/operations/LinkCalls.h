// The link's calls as the operations make them. A reset request the dispenser makes on the way pauses the link
// call; the dispenser's request is confirmed here, and the call goes on where the line has it paused.
#pragma once

#include <cstddef>
#include <cstdint>

#include "link/SendMessage.h"
#include "operations/Station.h"

namespace sb {

// A status report that came where no report was asked for (drained by a select, or in place of another reply) is
// not decoded as one, but what it tells of the point's sale still counts: a delivery under way began, a dispenser
// asking to be initialised lost what it held.
void TakeUndecodedReport(Station& station, uint8_t point, const uint8_t* bytes, size_t length);

SendResult SendConfirmingResets(Station& station, uint8_t point, DispenserMessage& message);

// The reply's length: 0 when the dispenser had nothing to say or the reply was given up.
uint8_t ReceiveConfirmingResets(Station& station, uint8_t point, uint8_t* reply, uint8_t capacity);

}  // namespace sb
