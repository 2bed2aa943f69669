// Totalizer counters (GET COUNTER): one request brings the totals of every grade, kept as a cache.
#pragma once

#include <cstdint>

#include "operations/Station.h"

namespace sb {

// Volume and amount totals of one grade; 0.0 and 0.0 for a grade outside 1..6 or when no usable reply came.
void GetCounter(Station& station, uint8_t point, int32_t grade, double* volume, double* amount);

}  // namespace sb
