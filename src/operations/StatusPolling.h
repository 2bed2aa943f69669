// The status request of a filling point and the state code the host gets from it.
#pragma once

#include <cstdint>

#include "operations/Station.h"

namespace sb {

// Polls the point (asking it when it has been silent), decodes a status report and returns the state code.
uint8_t PollStatus(Station& station, uint8_t point);

// Classifies a status character and its digit (operations/StatusClassification.h), runs what must follow and
// stores the state code as the point's PointState.
uint8_t DecodeStatus(Station& station, uint8_t point, uint8_t statusChar, uint8_t digit);

}  // namespace sb
