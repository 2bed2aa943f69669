// Messages that keep a dispenser's link in order and belong to no host call of their own.
#pragma once

#include <cstdint>

#include "driver/TVM30.h"

namespace sb {

// The RESET confirmation: answers a dispenser's reset request on the given channel.
void ConfirmReset(TVM30& driver, uint8_t point, uint8_t first, uint8_t channel);

// MASTER RESET, decoding the status replies it brings. Not started again while one runs for the point.
void MasterReset(TVM30& driver, uint8_t point);

void RequestIdentification(TVM30& driver, uint8_t point);

void Initialise(TVM30& driver, uint8_t point);

}  // namespace sb
