#include "operations/WireNumbers.h"

#include <cfenv>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "platform/Locale.h"

namespace sb {

std::optional<int64_t> RoundHalfEven(long double value) {
    if (!std::isfinite(value)) return std::nullopt;
    // nearbyint follows the current rounding mode, which is to-nearest-even unless a host changed it.
    const int previousMode = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const long double rounded = std::nearbyint(value);
    std::fesetround(previousMode);
    constexpr long double kLimit = 9223372036854775807.0L;
    if (rounded >= kLimit || rounded < -kLimit) return std::nullopt;
    return static_cast<int64_t>(rounded);
}

bool FitsDigits(int64_t value, unsigned digits) {
    int64_t limit = 1;
    for (unsigned i = 0; i < digits && limit <= INT64_MAX / 10; ++i) limit *= 10;
    return value >= 0 && value < limit;
}

std::string WireNumber(uint64_t value, unsigned width) {
    std::string digits = std::to_string(value);
    if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
    return digits;
}

std::optional<double> ReadWireNumber(const uint8_t* text, unsigned count) {
    double value = 0;
    for (unsigned i = 0; i < count; ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

std::string FormatGeneral(double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%.15G", value);
    std::string result;
    // "1.5E+020" style exponents become "1.5E20", as the host's own number formatting shows them.
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c == '.') {
            result += platform::DecimalSeparator();
        } else if (*c == 'E') {
            result += 'E';
            ++c;
            if (*c == '-') result += '-';
            if (*c == '-' || *c == '+') ++c;
            while (*c == '0' && c[1] != '\0') ++c;
            result += c;
            break;
        } else {
            result += *c;
        }
    }
    return result;
}

}  // namespace sb
