#include "host/Arguments.h"

#include <cstdio>
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

bool ReadClock(const std::string& text, int64_t* ms) {
    int hours = 0, minutes = 0, seconds = 0, millis = 0, used = 0;
    const int fields = std::sscanf(text.c_str(), "%2d:%2d%n:%2d%n.%3d%n", &hours, &minutes, &used, &seconds, &used,
                                   &millis, &used);
    if (fields < 2 || static_cast<std::size_t>(used) != text.size() || hours > 23 || minutes > 59 || seconds > 59 ||
        hours < 0 || minutes < 0 || seconds < 0 || millis < 0)
        return false;
    *ms = ((hours * 60LL + minutes) * 60 + seconds) * 1000 + millis;
    return true;
}

}  // namespace sbhost
