// The short sequences the driver sends to get and take what a dispenser has to say.
#pragma once

#include <cstdint>

#include "link/LinkContext.h"

namespace sb {

// EOT, middle, ENQ: the poll (middle "0") or the select (middle "1").
void PutPollOrSelect(uint8_t* buffer, uint8_t middle);

// Acknowledges what the dispenser just sent with DLE and digit, then flips the digit; its answer (the next block
// or EOT) lands in buffer and its size is returned. A port failure raises "Невозможно выполнить сброс ТРК".
uint8_t Acknowledge(LinkContext& link, uint8_t* buffer, uint8_t& digit);

}  // namespace sb
