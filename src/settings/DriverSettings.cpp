#include "settings/DriverSettings.h"

#include <cerrno>
#include <cstdlib>
#include <limits>

#include "common/Cp1251.h"
#include "logging/Log.h"
#include "platform/Profile.h"

namespace sb {
namespace {
const char kSection[] = "SB";

std::string T10Key(int line) { return "T10_" + std::to_string(line); }

int32_t ReadInteger(const std::string& path, const char* key, int32_t fallback) {
    const std::optional<std::string> text = platform::ReadProfileString(path, kSection, key);
    if (!text) return fallback;
    return ParseSettingInteger(*text).value_or(fallback);
}

// A decimal scale: 1, 10, 100 or 1000, the dialog's four choices. Any other value would turn every amount or
// price sent and read into another figure, so the default stands in for it and the operator is alerted.
int32_t ReadScale(const std::string& path, const char* key) {
    constexpr int32_t kDefaultScale = 100;
    const int32_t scale = ReadInteger(path, key, kDefaultScale);
    if (scale == 1 || scale == 10 || scale == 100 || scale == 1000) return scale;
    static const SystemText kInvalid("Недопустимое значение ");
    static const SystemText kUsed(": используется 100");
    WriteLog(kLevelCritical, kInvalid.cp1251 + key + "=" + std::to_string(scale) + " (" + path + ")" + kUsed.cp1251);
    return kDefaultScale;
}
}  // namespace

std::optional<int32_t> ParseSettingInteger(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return std::nullopt;
    const size_t last = text.find_last_not_of(" \t");
    const std::string number = text.substr(first, last - first + 1);
    const size_t digitsFrom = (number[0] == '+' || number[0] == '-') ? 1 : 0;
    if (digitsFrom == number.size()) return std::nullopt;
    for (size_t i = digitsFrom; i < number.size(); ++i) {
        if (number[i] < '0' || number[i] > '9') return std::nullopt;
    }
    errno = 0;
    const long long value = std::strtoll(number.c_str(), nullptr, 10);
    if (errno == ERANGE || value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<int32_t>(value);
}

DriverSettings LoadSettings(const std::string& path) {
    DriverSettings settings;
    settings.Baud = ReadInteger(path, "Baud", settings.Baud);
    settings.SDec = ReadScale(path, "SDec");
    settings.PDec = ReadScale(path, "PDec");
    for (int line = 1; line <= DriverSettings::kT10Lines; ++line) {
        settings.T10Line[line] = ReadInteger(path, T10Key(line).c_str(), 0) != 0;
    }
    return settings;
}

bool SaveSettings(const std::string& path, const DriverSettings& settings) {
    bool written = platform::WriteProfileString(path, kSection, "Baud", std::to_string(settings.Baud));
    written = platform::WriteProfileString(path, kSection, "SDec", std::to_string(settings.SDec)) && written;
    written = platform::WriteProfileString(path, kSection, "PDec", std::to_string(settings.PDec)) && written;
    for (int line = 1; line <= DriverSettings::kT10Lines; ++line) {
        written =
            platform::WriteProfileString(path, kSection, T10Key(line), settings.T10Line[line] ? "1" : "0") && written;
    }
    return written;
}

}  // namespace sb
