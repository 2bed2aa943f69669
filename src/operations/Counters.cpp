#include "operations/Counters.h"

#include <optional>
#include <string>

#include "common/Cp1251.h"
#include "common/Failure.h"
#include "link/ReceiveReply.h"
#include "link/SendMessage.h"
#include "logging/PointTrace.h"
#include "operations/AmountScale.h"
#include "operations/MessageBuilder.h"
#include "operations/WireNumbers.h"

namespace sb {
namespace {

constexpr unsigned kTotalDigits = 10;
constexpr int kCachedGrades = 4;  // a full read fills grades 1..4

struct Totals {
    double volume;
    double amount;
};

// The totals of record k (1..8) of a counter reply; nothing when a field holds something other than digits.
std::optional<Totals> Record(const AmountScale& scale, const uint8_t* reply, int k) {
    const auto volume = ReadWireNumber(reply + 21 * k - 6, kTotalDigits);
    const auto amount = ReadWireNumber(reply + 21 * k + 4, kTotalDigits);
    if (!volume || !amount) return std::nullopt;
    return Totals{*volume / 100, scale.Of(*amount)};
}

bool IsUsable(const LinkContext& link, uint8_t length) {
    return link.Line == LineState::Good && length == kCounterReplyLength;
}

void LogWrongNumber(uint8_t point) {
    TracePointResult("GET COUNTER(", point, "wrong number");
}

// Decodes grades 1..4 of a first answer into the cache; false when a field is not a number.
bool FillCache(Station& station, uint8_t point, const uint8_t* reply) {
    FillingPoint& fillingPoint = station.Point(point);
    const AmountScale scale(station, point);
    Totals decoded[kCachedGrades + 1] = {};
    for (int k = 1; k <= kCachedGrades; ++k) {
        const std::optional<Totals> totals = Record(scale, reply, k);
        if (!totals) return false;
        decoded[k] = *totals;
    }
    for (int k = 1; k <= kCachedGrades; ++k) {
        fillingPoint.VolumeTotals[k] = decoded[k].volume;
        fillingPoint.AmountTotals[k] = decoded[k].amount;
    }
    return true;
}

}  // namespace

void GetCounter(Station& station, uint8_t point, int32_t grade, double* volume, double* amount) {
    FillingPoint& fillingPoint = station.Point(point);
    LinkContext& link = station.LinkOf(point);
    platform::LockGuard hold(link.PointLock);
    *volume = 0;
    *amount = 0;
    TracePoint("GET COUNTER(", point);
    if (!IsGrade(grade)) {
        TracePointResult("GET COUNTER(", point, "grade " + std::to_string(grade) + " refused");
        return;
    }
    if (fillingPoint.VolumeTotals[1] > 0 && grade > 1) {
        *volume = fillingPoint.VolumeTotals[grade];
        *amount = fillingPoint.AmountTotals[grade];
        TracePointResult("RET FAST COUNTER(", point, FormatGeneral(*volume));
        return;
    }

    DispenserMessage message;
    BuildChannel1Header(station, point, message);
    AppendText(message, "0003ZD");
    AppendText(message, fillingPoint.PointCode);
    AppendText(message, "00");
    if (SendMessage(link, message) != 0) {
        static const SystemText kFailed("Невозможно выполнить запрос счетчиков ТРК");
        RaiseSerialIO(kFailed);
    }
    fillingPoint.VolumeTotals[1] = 0;

    bool answered = false;
    if (IsUsable(link, message.replyLength)) {
        answered = FillCache(station, point, message.bytes.data());
        if (answered) {
            *volume = fillingPoint.VolumeTotals[grade];
            *amount = fillingPoint.AmountTotals[grade];
        } else {
            LogWrongNumber(point);
        }
    }
    if (!answered) {
        TracePointResult("Two-Answer COUNTER(", point, FormatGeneral(*volume));
        const uint8_t length = ReceiveReply(link, message.bytes.data(), DispenserMessage::kCapacity);
        if (IsUsable(link, length)) {
            if (const std::optional<Totals> totals = Record(AmountScale(station, point), message.bytes.data(), grade)) {
                *volume = totals->volume;
                *amount = totals->amount;
            } else {
                LogWrongNumber(point);
            }
        }
    }
    TracePointResult("RET COUNTER(", point, FormatGeneral(*volume));
}

}  // namespace sb
