// The driver's settings, kept in section SB of cnf.INI: line speed, amount and price scales, and which of the
// lines 1..8 carry a T10 counting unit.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace sb {

struct DriverSettings {
    static constexpr int kT10Lines = 8;

    int32_t Baud = 2400;
    int32_t SDec = 100;
    int32_t PDec = 100;
    std::array<bool, kT10Lines + 1> T10Line{};  // index 1..8; 0 unused
};

// A decimal integer with an optional sign that fits 32 bits, blanks around it allowed; nothing otherwise.
std::optional<int32_t> ParseSettingInteger(const std::string& text);

// Reads Baud, SDec, PDec and T10_1..T10_8 in that order; whatever is missing or not a number takes its default.
// A scale (SDec, PDec) other than 1, 10, 100 or 1000 takes the default 100 with a critical log line naming it;
// the file is left as it is.
DriverSettings LoadSettings(const std::string& path);

// Writes Baud, SDec, PDec, T10_1..T10_8 in that order into section SB; true when every key was written.
bool SaveSettings(const std::string& path, const DriverSettings& settings);

}  // namespace sb
