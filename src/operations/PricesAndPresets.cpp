#include "operations/PricesAndPresets.h"

#include <cmath>

#include "logging/Log.h"
#include "operations/WireNumbers.h"

namespace sb {
namespace {

Refusal Refuse(std::string line) {
    WriteLog(kLevelTrace, line);
    return line;
}

bool IsPresetValue(double value) { return std::isfinite(value) && value >= 0; }

Refusal RefusePreset(FillingPoint& fillingPoint, uint8_t point, const char* kind, double value) {
    fillingPoint.PresetRefused = true;
    return Refuse("PRESET(" + std::to_string(point) + "): " + kind + " " + FormatGeneral(value) + " refused");
}

}  // namespace

Refusal SetGradePrice(Station& station, uint8_t point, int32_t grade, double price) {
    const std::optional<int64_t> scaled = RoundHalfEven(static_cast<long double>(price) * station.PDec.Load());
    // A price of 0 or below on the wire would sell fuel for nothing.
    if (!IsGrade(grade) || !scaled || *scaled <= 0 || !FitsDigits(*scaled, kPriceDigits)) {
        if (IsGrade(grade)) station.Point(point).PriceRefused[grade] = true;
        return Refuse("PRICE(" + std::to_string(point) + "): grade " + std::to_string(grade) + " price " +
                      FormatGeneral(price) + " refused");
    }
    FillingPoint& fillingPoint = station.Point(point);
    fillingPoint.Price[grade] = static_cast<int32_t>(*scaled);
    fillingPoint.PriceRefused[grade] = false;
    fillingPoint.PriceSet[grade] = true;
    return std::nullopt;
}

Refusal SetVolumePreset(Station& station, uint8_t point, double volume) {
    FillingPoint& fillingPoint = station.Point(point);
    if (!IsPresetValue(volume)) return RefusePreset(fillingPoint, point, "volume", volume);
    fillingPoint.VolumePreset = volume;
    fillingPoint.AmountPreset = 0;
    fillingPoint.PresetRefused = false;
    return std::nullopt;
}

Refusal SetAmountPreset(Station& station, uint8_t point, double amount) {
    FillingPoint& fillingPoint = station.Point(point);
    if (!IsPresetValue(amount)) return RefusePreset(fillingPoint, point, "amount", amount);
    fillingPoint.VolumePreset = 0;
    fillingPoint.AmountPreset = amount;
    fillingPoint.PresetRefused = false;
    return std::nullopt;
}

}  // namespace sb
