// SbGetLinkStatistics: a point's link statistics copied out for the host, as far as the host's struct holds them.

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "driver/HostMethodTable.h"
#include "driver/TVM30.h"
#include "sbdriver/sbdriver.h"

namespace {

// The struct as its first version ended: a host's struct of that size or more is filled.
constexpr uint32_t kFirstVersionSize = offsetof(SbLinkStatistics, nowUs) + sizeof(uint64_t);
// The layout the guide publishes, the same under 4-byte and 8-byte alignment of 64-bit fields.
static_assert(kFirstVersionSize == 120 && offsetof(SbLinkStatistics, exchanges) == 8, "SbLinkStatistics moved");

SbLinkStatistics Copy(const sb::LinkStatistics& stats) {
    SbLinkStatistics copy{};
    copy.exchanges = stats.Exchanges;
    copy.answers = stats.Answers;
    copy.noAnswers = stats.NoAnswers;
    copy.naksReceived = stats.NaksReceived;
    copy.naksSent = stats.NaksSent;
    copy.badChecks = stats.BadChecks;
    copy.waits = stats.Waits;
    copy.refusals = stats.Refusals;
    copy.resends = stats.Resends;
    copy.resetsAsked = stats.ResetsAsked;
    copy.resetsSent = stats.ResetsSent;
    copy.exchangeLimits = stats.ExchangeLimits;
    copy.lastAnswerUs = static_cast<uint64_t>(stats.LastAnswer.Load());
    copy.nowUs = static_cast<uint64_t>(sb::platform::Monotonic());
    return copy;
}

}  // namespace

extern "C" {

SB_EXPORT uint32_t SB_CALL SbGetLinkStatistics(SbDriver* driver, uint32_t point, SbLinkStatistics* out) {
    if (!sb::IsDriverObject(driver) || !sb::IsPoint(point) || out == nullptr || out->size < kFirstVersionSize) return 0;
    SbLinkStatistics copy = Copy(sb::TVM30::From(driver).LinkOf(static_cast<uint8_t>(point)).Stats);
    copy.size = out->size;
    const uint32_t written = std::min<uint32_t>(out->size, sizeof copy);
    std::memcpy(out, &copy, written);
    return written;
}

}  // extern "C"
