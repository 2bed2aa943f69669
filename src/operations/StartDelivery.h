// Authorising a delivery (START).
#pragma once

#include <cstdint>

#include "operations/Station.h"

namespace sb {

// Sends START with the grade's price and the point's preset and opens the delivery's bookkeeping. A grade
// outside 1..6, or a price or preset that does not fit its field, is refused with "Can't Start" before anything
// is sent; so is a START the dispenser did not take or refused. One it took is never told as not started.
void StartDelivery(Station& station, uint8_t point, int32_t grade, uint8_t startMode);

}  // namespace sb
