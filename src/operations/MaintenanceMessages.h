// Messages that keep a dispenser's link in order and belong to no host call of their own.
#pragma once

#include <cstdint>

#include "link/ResetRequest.h"
#include "operations/Station.h"

namespace sb {

// The RESET confirmation: answers a dispenser's reset request. Not started again from inside its own run.
void ConfirmReset(Station& station, uint8_t point, const ResetRequest& request);

// MASTER RESET, decoding the status replies it brings. Not started again from inside its own run.
void MasterReset(Station& station, uint8_t point);

void RequestIdentification(Station& station, uint8_t point);

void Initialise(Station& station, uint8_t point);

}  // namespace sb
