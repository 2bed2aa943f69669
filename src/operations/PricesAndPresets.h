// The grade prices and the delivery presets a host stores for START (slots 11, 13 and 14).
#pragma once

#include <cstdint>

#include "operations/Station.h"

namespace sb {

// Digits of START's price and preset fields: a larger value would widen the field and shift the message.
constexpr unsigned kPriceDigits = 4;
constexpr unsigned kPresetDigits = 6;

// Keeps price × PDec, rounded, for the grade. A grade outside 1..6, or a price that is not finite, negative or
// too wide for START's price field, is refused with one log line and changes nothing.
void SetGradePrice(Station& station, uint8_t point, int32_t grade, double price);

// Keeps a volume preset (litres) and clears the amount preset, or the other way round. A value that is not
// finite is refused with one log line and changes nothing.
void SetVolumePreset(Station& station, uint8_t point, double volume);
void SetAmountPreset(Station& station, uint8_t point, double amount);

}  // namespace sb
