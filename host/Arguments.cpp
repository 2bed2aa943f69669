#include "host/Arguments.h"

#include <cstdlib>

namespace sbhost {

constexpr uint32_t kMaxPoint = 32;

bool ReadNumber(const std::string& text, double* value) {
    char* end = nullptr;
    *value = std::strtod(text.c_str(), &end);
    return !text.empty() && *end == '\0';
}

bool ReadPoint(const std::string& text, uint32_t* point) {
    double value = 0;
    if (!ReadNumber(text, &value) || value < 1 || value > kMaxPoint || value != static_cast<uint32_t>(value))
        return false;
    *point = static_cast<uint32_t>(value);
    return true;
}

namespace {

// Digits at `at`, from fewest to most of them: their value, and `at` moved past them.
bool ReadDigits(const std::string& text, std::size_t* at, std::size_t fewest, std::size_t most, int* value,
                std::size_t* count) {
    *value = 0;
    *count = 0;
    while (*at < text.size() && *count < most && text[*at] >= '0' && text[*at] <= '9') {
        *value = *value * 10 + (text[(*at)++] - '0');
        ++*count;
    }
    return *count >= fewest;
}

}  // namespace

bool ReadClock(const std::string& text, int maxHours, ClockTime* time) {
    std::size_t at = 0, count = 0;
    int hours = 0, minutes = 0, seconds = 0, fraction = 0;
    if (!ReadDigits(text, &at, 1, 2, &hours, &count) || hours > maxHours || at >= text.size() || text[at++] != ':' ||
        !ReadDigits(text, &at, 2, 2, &minutes, &count) || minutes > 59)
        return false;
    int64_t span = 60 * 1000;
    if (at < text.size()) {
        if (text[at++] != ':' || !ReadDigits(text, &at, 2, 2, &seconds, &count) || seconds > 59) return false;
        span = 1000;
    }
    if (at < text.size()) {
        if (text[at++] != '.' || !ReadDigits(text, &at, 1, 3, &fraction, &count)) return false;
        for (; count > 0; --count) span /= 10;  // ".9": 900 ms, a tenth of a second
    }
    if (at != text.size()) return false;
    time->ms = ((hours * 60LL + minutes) * 60 + seconds) * 1000 + fraction * span;
    time->spanMs = span;
    return true;
}

}  // namespace sbhost
