#include "host/program/Arguments.h"

#include <cstdlib>

namespace sbhost {

constexpr uint32_t kMaxPoint = 32;
constexpr double kMaxTurnaroundMs = 5000;

const char kTurnaroundWants[] = "--turnaround wants milliseconds, 0..5000";

bool ReadNumber(const std::string& text, double* value) {
    char* end = nullptr;
    *value = std::strtod(text.c_str(), &end);
    return !text.empty() && *end == '\0';
}

bool ReadTurnaround(const std::string& text, int* milliseconds) {
    double value = 0;
    if (!ReadNumber(text, &value) || value < 0 || value > kMaxTurnaroundMs || value != static_cast<int>(value))
        return false;
    *milliseconds = static_cast<int>(value);
    return true;
}

bool ReadPoint(const std::string& text, uint32_t* point) {
    double value = 0;
    if (!ReadNumber(text, &value) || value < 1 || value > kMaxPoint || value != static_cast<uint32_t>(value))
        return false;
    *point = static_cast<uint32_t>(value);
    return true;
}

namespace {

// "N=DEVICE" with N a point number.
bool LineOption(const std::string& text, std::map<uint32_t, std::string>* lines) {
    const std::size_t equals = text.find('=');
    uint32_t point = 0;
    if (equals == std::string::npos || equals + 1 == text.size() || !ReadPoint(text.substr(0, equals), &point))
        return false;
    (*lines)[point] = text.substr(equals + 1);
    return true;
}

}  // namespace

OptionsRead ReadOptions(int argc, char** argv, Options* options, std::string* error) {
    DeliveryOrder& order = options->order;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        double value = 0;
        if (option == "--json") {
            options->json = true;
        } else if (options->words.empty() && (option == "--help" || option == "-h")) {
            return OptionsRead::kHelp;
        } else if (!options->words.empty() || option.rfind("--", 0) != 0) {
            options->words.push_back(option);
        } else if (option == "--simulate") {
            options->simulate = true;
        } else if (i + 1 < argc && option == "--library") {
            options->libraryPath = argv[++i];
        } else if (i + 1 < argc && option == "--line") {
            if (!LineOption(argv[++i], &options->lines)) {
                *error = "--line wants N=DEVICE with N 1.." + std::to_string(kMaxPoint);
                return OptionsRead::kBadUsage;
            }
        } else if (i + 1 < argc && option == "--turnaround") {
            if (!ReadTurnaround(argv[++i], &options->turnaroundMs)) {
                *error = kTurnaroundWants;
                return OptionsRead::kBadUsage;
            }
        } else if (i + 1 < argc && ReadNumber(argv[i + 1], &value) &&
                   (option == "--point" || option == "--grade" || option == "--price" || option == "--volume" ||
                    option == "--amount")) {
            ++i;
            if (option == "--point") {
                order.point = static_cast<uint32_t>(value);
                options->pointGiven = true;
            }
            if (option == "--grade") order.grade = static_cast<int32_t>(value);
            if (option == "--price") order.price = value;
            if (option == "--volume") order.volume = value;
            if (option == "--amount") {
                order.amount = value;
                order.volume = 0;
            }
        } else {
            return OptionsRead::kBadUsage;
        }
    }
    return OptionsRead::kRead;
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
