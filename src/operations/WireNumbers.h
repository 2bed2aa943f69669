// Numbers as the dispenser reads and writes them: decimal ASCII of a minimum width, padded with "0" in front
// and never cut; real values rounded to the nearest integer, halves to even.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace sb {

// Nearest integer of value, halves to even, in extended precision; nothing when it is not finite or does not
// fit 64 bits.
std::optional<int64_t> RoundHalfEven(long double value);

// True when value is written with at most digits decimal digits and no sign.
bool FitsDigits(int64_t value, unsigned digits);

// The decimal digits of value with "0" added in front until there are at least width of them.
std::string WireNumber(uint64_t value, unsigned width);

// The count characters at text read as a decimal number; nothing when one of them is not a digit.
std::optional<double> ReadWireNumber(const uint8_t* text, unsigned count);

// A double in general notation with up to 15 significant digits and the system's decimal separator.
std::string FormatGeneral(double value);

}  // namespace sb
