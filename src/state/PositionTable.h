// The per-filling-point bookkeeping of the operations: prices, presets, states, the sale and the totals.
// Points are numbered 1..32 and grades 1..6; index 0 of every array is unused so that the numbers index directly.
// What belongs to the line (sequence characters, the line state, the point's lock) is the link's own.
#pragma once

#include <array>
#include <cstdint>

#include "common/Relaxed.h"
#include "state/SaleLifecycle.h"

namespace sb {

constexpr unsigned kPointCount = 32;
constexpr unsigned kGradeCount = 6;

inline bool IsPoint(uint32_t point) { return point >= 1 && point <= kPointCount; }
inline bool IsGrade(int32_t grade) { return grade >= 1 && grade <= static_cast<int32_t>(kGradeCount); }

// The bookkeeping of one filling point. A slot of one host thread may read a field while an exchange of
// another thread writes it (a status poll beside a delivery read, say), so every field is a relaxed atomic.
struct FillingPoint {
    static constexpr int32_t kInitialPrice = 20;
    static constexpr uint8_t kInitialState = 192;

    std::array<Relaxed<int32_t>, kGradeCount + 1> Price{
        0, kInitialPrice, kInitialPrice, kInitialPrice, kInitialPrice, kInitialPrice, kInitialPrice};
    // Set when the host's latest price for the grade was refused: the grade does not start until a good one is set.
    std::array<Relaxed<bool>, kGradeCount + 1> PriceRefused{};
    // Set once the host has set a good price for the grade: an unpriced grade does not start at the initial price.
    std::array<Relaxed<bool>, kGradeCount + 1> PriceSet{};
    Relaxed<double> VolumePreset = 0;
    Relaxed<double> AmountPreset = 0;
    // Set when the host's latest preset was refused: the point does not start until a good one is set.
    Relaxed<bool> PresetRefused = false;
    const char* PointCode = "01";
    Relaxed<uint8_t> PointState = kInitialState;
    Relaxed<bool> MasterResetPending = false;
    Relaxed<uint8_t> NoReplyCount = 0;
    std::array<Relaxed<double>, kGradeCount + 1> VolumeTotals{};
    std::array<Relaxed<double>, kGradeCount + 1> AmountTotals{};
    // What the driver believes about the point's sale: the previous sale, the latest START, the delivery's stage
    // and the figures kept of it.
    SaleBook Sale;
    // Written by the settings dialog while exchanges may read it.
    Relaxed<bool> T10Line = false;
};

class PositionTable {
public:
    // The caller has checked IsPoint(point).
    FillingPoint& operator[](uint32_t point) { return points_[point]; }
    const FillingPoint& operator[](uint32_t point) const { return points_[point]; }

private:
    std::array<FillingPoint, kPointCount + 1> points_{};
};

}  // namespace sb
