// Reading sbhost's command-line words: numbers, point numbers and clock times.
#pragma once

#include <cstdint>
#include <string>

namespace sbhost {

// The whole text is a number.
bool ReadNumber(const std::string& text, double* value);
// A point number 1..32.
bool ReadPoint(const std::string& text, uint32_t* point);
// A time of day as a command line gives it, and how long the time it names lasts: "14:47" is the whole
// minute, "14:47:28" the second, "14:47:28.9" the tenth.
struct ClockTime {
    int64_t ms = 0;      // since midnight, to its start
    int64_t spanMs = 0;  // a minute, a second, a tenth, a hundredth or a thousandth
};
// "hh:mm", "hh:mm:ss" or "hh:mm:ss.z" with one to three digits of fraction; hours up to maxHours.
bool ReadClock(const std::string& text, int maxHours, ClockTime* time);

}  // namespace sbhost
