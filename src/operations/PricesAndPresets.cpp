#include "operations/PricesAndPresets.h"

#include <cmath>
#include <optional>
#include <string>

#include "logging/Log.h"
#include "operations/WireNumbers.h"

namespace sb {
namespace {

void RefusePreset(uint8_t point, const char* kind, double value) {
    WriteLog(kLevelTrace, "PRESET(" + std::to_string(point) + "): " + kind + " " + FormatGeneral(value) + " refused");
}

}  // namespace

void SetGradePrice(Station& station, uint8_t point, int32_t grade, double price) {
    const std::optional<int64_t> scaled = RoundHalfEven(static_cast<long double>(price) * station.PDec.Load());
    if (!IsGrade(grade) || !scaled || !FitsDigits(*scaled, kPriceDigits)) {
        WriteLog(kLevelTrace, "PRICE(" + std::to_string(point) + "): grade " + std::to_string(grade) + " price " +
                                  FormatGeneral(price) + " refused");
        return;
    }
    station.Point(point).Price[grade] = static_cast<int32_t>(*scaled);
}

void SetVolumePreset(Station& station, uint8_t point, double volume) {
    if (!std::isfinite(volume)) return RefusePreset(point, "volume", volume);
    FillingPoint& fillingPoint = station.Point(point);
    fillingPoint.VolumePreset = volume;
    fillingPoint.AmountPreset = 0;
}

void SetAmountPreset(Station& station, uint8_t point, double amount) {
    if (!std::isfinite(amount)) return RefusePreset(point, "amount", amount);
    FillingPoint& fillingPoint = station.Point(point);
    fillingPoint.VolumePreset = 0;
    fillingPoint.AmountPreset = amount;
}

}  // namespace sb
