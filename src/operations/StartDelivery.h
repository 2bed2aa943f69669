// Authorising a delivery (START) and switching a filling point on or off (FILLING POINT CONTROL).
#pragma once

#include <cstdint>

#include "driver/TVM30.h"

namespace sb {

// Sends START with the grade's price and the point's preset and opens the delivery's bookkeeping. A grade
// outside 1..6, or a price or preset that does not fit its field, is refused with "Can't Start" before anything
// is sent.
void StartDelivery(TVM30& driver, uint8_t point, int32_t grade, uint8_t startMode);

void SendFillingPointControl(TVM30& driver, uint8_t point, uint8_t switchOn);

}  // namespace sb
