#include "replay/RecordedOrders.h"

#include <cmath>
#include <cstdlib>

namespace sbreplay {
namespace {

constexpr std::size_t kCommandAt = 4;     // after the header
constexpr std::size_t kGradeAt = 12;      // after "0001ZD" and the point code: "0" and the grade's digits
constexpr std::size_t kPriceDigits = 4;   // fewest digits of the price
constexpr std::size_t kPresetDigits = 6;  // fewest digits of the preset
constexpr double kVolumeScale = 100;      // hundredths of a litre
// A volume preset above the driver's 0.001 that still makes the digits 000000 with kind 1.
constexpr double kZeroVolumePreset = 0.002;

bool Digits(const std::string& text) {
    if (text.empty()) return false;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

// Where the price's digits end in the run of price and preset digits.
std::size_t PriceLength(const std::string& digits) {
    const auto possible = [&](std::size_t price) {
        return (price == kPriceDigits || digits[0] != '0') &&
               (digits.size() - price == kPresetDigits || digits[price] != '0');
    };
    for (std::size_t price = kPriceDigits; price + kPresetDigits <= digits.size(); ++price) {
        if (possible(price)) return price;
    }
    return kPriceDigits;
}

}  // namespace

std::optional<StartOrder> ReadStartOrder(const std::string& text, int32_t priceScale, int32_t amountScale) {
    if (text.size() <= kGradeAt) return std::nullopt;
    const std::size_t j = text.find('J', kGradeAt);
    const std::size_t k = j == std::string::npos ? j : text.find('K', j);
    if (text.compare(kCommandAt, 6, "0001ZD") != 0 || k == std::string::npos || text[kGradeAt] != '0' ||
        text.size() != k + 6 || text.compare(k + 3, 3, "000") != 0)
        return std::nullopt;
    const std::string grade = text.substr(kGradeAt + 1, j - kGradeAt - 1);
    const std::string digits = text.substr(j + 1, k - j - 1);
    const char kind = text[k + 1];
    const char mode = text[k + 2];
    if (!Digits(grade) || !Digits(digits) || digits.size() < kPriceDigits + kPresetDigits ||
        (kind != '1' && kind != '2') || (mode != '0' && mode != '1') || priceScale <= 0 || amountScale <= 0)
        return std::nullopt;
    const std::size_t priceLength = PriceLength(digits);
    StartOrder order;
    order.grade = std::atoi(grade.c_str());
    order.price = std::strtod(digits.substr(0, priceLength).c_str(), nullptr) / priceScale;
    const double preset = std::strtod(digits.substr(priceLength).c_str(), nullptr);
    order.byVolume = kind == '1';
    order.preset = order.byVolume ? (preset == 0 ? kZeroVolumePreset : preset / kVolumeScale) : preset / amountScale;
    order.mode = mode == '0' ? 1 : 0;
    return order;
}

std::optional<uint32_t> ReadControlSwitch(const std::string& text) {
    // header, "0004ZD", point code, "00", the switch, "011"
    constexpr std::size_t kLength = 18;
    constexpr std::size_t kSwitchAt = 14;
    if (text.size() != kLength || text.compare(kCommandAt, 6, "0004ZD") != 0 ||
        text.compare(kSwitchAt + 1, 3, "011") != 0)
        return std::nullopt;
    return text[kSwitchAt] == '1' ? 1u : 0u;
}

int32_t CounterGrade(const CounterTotals& totals, double volume, bool fromMemory) {
    // The log writes the volume with up to 15 digits: a hundredth tells totals apart.
    constexpr double kSame = 0.005;
    for (int32_t grade = fromMemory ? 2 : 1; grade < static_cast<int32_t>(totals.size()); ++grade) {
        if (std::fabs(totals[grade] - volume) < kSame) return grade;
    }
    return fromMemory ? 2 : 1;
}

}  // namespace sbreplay
