// Reading sbhost's command-line words: numbers, point numbers and clock times.
#pragma once

#include <cstdint>
#include <string>

namespace sbhost {

// The whole text is a number.
bool ReadNumber(const std::string& text, double* value);
// A point number 1..32.
bool ReadPoint(const std::string& text, uint32_t* point);
// "hh:mm", "hh:mm:ss" or "hh:mm:ss.zzz": milliseconds since midnight.
bool ReadClock(const std::string& text, int64_t* ms);

}  // namespace sbhost
