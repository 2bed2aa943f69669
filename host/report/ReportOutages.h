// A point's outages: stretches of its exchanges that failed (no answer, NAK, bad block check, noise, refusal,
// wait), with no more than kMergeGoodAnswers good answers between them. While one lasts the point's state is not
// known for certain.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "host/report/ReportModel.h"

namespace sbhost {

// A failure after no more good answers than this since an outage goes on with it: a line that fails again and
// again between single good answers has one outage, not hundreds.
constexpr std::size_t kMergeGoodAnswers = 2;

struct Outage {
    int64_t firstMs = 0;  // the first and the last failed exchange
    int64_t lastMs = 0;
    int64_t untilMs = 0;                                      // the next exchange answered well, or the end
    std::array<std::size_t, sbdecode::kFaultKinds> counts{};  // failed exchanges by kind of fault

    std::size_t Exchanges() const;
};

// The outages of the point's exchanges in the order recorded; endMs: the end of the recording.
std::vector<Outage> Outages(const PointHistory& history, int64_t endMs);
// The same, the longest (most failed exchanges) first.
std::vector<Outage> RankedOutages(const PointHistory& history, int64_t endMs);

// "no answer 14:47:02.105–14:47:34.300, 16 exchanges"; its kinds by count when they are several:
// "NAK 2, bad block check 1 14:47:02.105–14:47:02.300, 3 exchanges".
std::string OutageText(const Outage& outage);

}  // namespace sbhost
