#pragma once

#include <cstdint>

#include "driver/TVM30.h"

namespace sb {

// Gets the dispenser ready to receive: polls it, drains (or confirms a reset request of) whatever it still has
// to say, then selects it. True when it answered ready.
bool SelectPoint(TVM30& driver, uint8_t point);

}  // namespace sb
