// Authorising a delivery (START).
#pragma once

#include <cstdint>

#include "operations/Station.h"

namespace sb {

// Sends START with the grade's price and the point's preset and opens the delivery's bookkeeping. A grade
// outside 1..6, or a price or preset that does not fit its field, is refused with "Can't Start" before anything
// is sent.
void StartDelivery(Station& station, uint8_t point, int32_t grade, uint8_t startMode);

// The dispenser refused the latest START after it was taken for started: the point shows the state the START
// replaced, or idle when that was itself an earlier START's, and is no longer held as started.
void EndRefusedStart(FillingPoint& fillingPoint);

}  // namespace sb
