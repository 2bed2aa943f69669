// Messages that keep a dispenser's link in order and belong to no host call of their own.
#pragma once

#include <cstdint>

#include "operations/Station.h"

namespace sb {

// The RESET confirmation: answers a dispenser's reset request on the given channel.
void ConfirmReset(Station& station, uint8_t point, uint8_t first, uint8_t channel);

// MASTER RESET, decoding the status replies it brings. Not started again while one runs for the point.
void MasterReset(Station& station, uint8_t point);

void RequestIdentification(Station& station, uint8_t point);

void Initialise(Station& station, uint8_t point);

}  // namespace sb
