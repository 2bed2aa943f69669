// The per-filling-point state of the driver object and its settings. Points are numbered 1..32 and grades 1..6;
// index 0 of every array is unused so that the numbers index directly.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "platform/Lock.h"

namespace sb {

constexpr unsigned kPointCount = 32;
constexpr unsigned kGradeCount = 6;

inline bool IsPoint(uint32_t point) { return point >= 1 && point <= kPointCount; }
inline bool IsGrade(int32_t grade) { return grade >= 1 && grade <= static_cast<int32_t>(kGradeCount); }

// The channel characters '0' and '1' select entry 0 and 1 of the per-channel fields.
constexpr unsigned kChannels = 2;

struct FillingPoint {
    static constexpr int32_t kInitialPrice = 20;
    static constexpr uint8_t kInitialState = 192;

    std::array<int32_t, kGradeCount + 1> Price{0, kInitialPrice, kInitialPrice, kInitialPrice,
                                               kInitialPrice, kInitialPrice, kInitialPrice};
    uint8_t LineResult = 1;
    double CurVolume = 0;
    double VolumePreset = 0;
    double CurAmount = 0;
    double AmountPreset = 0;
    platform::RecursiveLock PointLock;
    std::array<char, kChannels> SeqChar{'0', '0'};
    std::array<char, kChannels> ReqChar{'0', '0'};
    uint8_t ReplyToggle = 0;
    const char* PointCode = "01";
    uint8_t PointState = kInitialState;
    bool MasterResetPending = false;
    uint8_t SaleGrade = 1;
    uint8_t StartHold = 0;
    uint8_t NoReplyCount = 0;
    std::array<double, kGradeCount + 1> VolumeTotals{};
    std::array<double, kGradeCount + 1> AmountTotals{};
    bool NewSale = false;
    double LastVolume = 0;
    // Written by the settings dialog while exchanges may read it.
    std::atomic<bool> T10Line{false};
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
