// The grade prices and the delivery presets a host stores for START (slots 11, 13 and 14).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "operations/Station.h"

namespace sb {

// Digits of START's price and preset fields: a larger value would widen the field and shift the message.
constexpr unsigned kPriceDigits = 4;
constexpr unsigned kPresetDigits = 6;

// The log line of a refused value, or nothing when the value was taken.
using Refusal = std::optional<std::string>;

// Keeps price × PDec, rounded, for the grade. A grade outside 1..6, or a price that is not finite, rounds to 0
// or below, or is too wide for START's price field, is refused with one log line; the grade of the point then
// does not START (the previous price is never used in its place) until a good price is set.
Refusal SetGradePrice(Station& station, uint8_t point, int32_t grade, double price);

// Keeps a volume preset (litres) and clears the amount preset, or the other way round. A value that is negative
// or not finite is refused with one log line; the point then does not START until a good preset is set. A volume
// up to 0.001 means no volume preset.
Refusal SetVolumePreset(Station& station, uint8_t point, double volume);
Refusal SetAmountPreset(Station& station, uint8_t point, double amount);

}  // namespace sb
