// The per-filling-point bookkeeping of the operations: prices, presets, states, delivery figures and totals.
// Points are numbered 1..32 and grades 1..6; index 0 of every array is unused so that the numbers index directly.
// What belongs to the line (sequence characters, the line state, the point's lock) is the link's own.
#pragma once

#include <array>
#include <cstdint>

#include "common/Relaxed.h"

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
    Relaxed<double> CurVolume = 0;
    // The bookkeeping's small steps in CurVolume since figures were last kept: without them CurVolume is the
    // dispenser's own figure, which alone may reach the host or the previous sale's record.
    Relaxed<double> CurVolumeSteps = 0;
    Relaxed<double> VolumePreset = 0;
    Relaxed<double> CurAmount = 0;
    Relaxed<double> AmountPreset = 0;
    // Set when the host's latest preset was refused: the point does not start until a good one is set.
    Relaxed<bool> PresetRefused = false;
    const char* PointCode = "01";
    Relaxed<uint8_t> PointState = kInitialState;
    Relaxed<bool> MasterResetPending = false;
    Relaxed<uint8_t> SaleGrade = 1;
    Relaxed<uint8_t> StartHold = 0;
    Relaxed<uint8_t> StateBeforeStart = kInitialState;  // the state code a refused START leaves the point in
    // Replies name no request: a refusal is the START's when it comes while the START is the latest message the
    // point was sent. It is then ended at the next poll.
    Relaxed<bool> StartLatest = false;
    Relaxed<bool> StartRefused = false;
    Relaxed<uint8_t> NoReplyCount = 0;
    std::array<Relaxed<double>, kGradeCount + 1> VolumeTotals{};
    std::array<Relaxed<double>, kGradeCount + 1> AmountTotals{};
    Relaxed<bool> NewSale = false;
    // Set once the dispenser has shown that the delivery of the latest START began: it reported delivering,
    // or figures other than the previous sale's. From then on equal figures are this delivery's own.
    Relaxed<bool> SaleBegan = false;
    // Set when slot 9 looked again after a START and still saw the previous sale: later reads do not wait again.
    Relaxed<bool> LockWaited = false;
    // Set when the point reported a finished delivery (status "3" or "4") since the latest START.
    Relaxed<bool> FinishReported = false;
    Relaxed<double> LastVolume = 0;
    // Whether LastVolume is what the display shows: cleared when a delivery begins, set again when its final
    // figures are read. After a START without it, the first figures read stand in for the previous sale.
    Relaxed<bool> LastVolumeKnown = true;
    // Set when the latest final read could not read the display. The display may have moved on from LastVolume
    // unseen: a sale on an earlier START's authorisation, or a delivery a stale finished report closed early. A
    // second final read still compares with LastVolume; the next START takes it as unknown.
    Relaxed<bool> DisplayUnread = false;
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
