// The short sequences the driver sends to get and take what a dispenser has to say.
#pragma once

#include <cstdint>

#include "driver/TVM30.h"

namespace sb {

// EOT, middle, ENQ: the poll (middle "0") or the select (middle "1").
void PutPollOrSelect(uint8_t* buffer, uint8_t middle);

// Acknowledges what the dispenser just sent with DLE and digit, then flips the digit; its answer (the next block
// or EOT) lands in buffer. A port failure raises "Невозможно выполнить сброс ТРК".
void Acknowledge(TVM30& driver, uint8_t point, uint8_t* buffer, uint8_t& digit);

}  // namespace sb
