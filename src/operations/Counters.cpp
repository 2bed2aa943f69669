#include "operations/Counters.h"

#include <optional>
#include <string>

#include "common/Cp1251.h"
#include "common/Failure.h"
#include "operations/AmountScale.h"
#include "operations/LinkCalls.h"
#include "operations/MessageBuilder.h"
#include "operations/ReplyDecoders.h"
#include "operations/TraceNames.h"
#include "operations/WireNumbers.h"
#include "state/PointTrace.h"

namespace sb {
namespace {

constexpr int kCachedGrades = 4;  // a full read fills grades 1..4

bool IsUsable(const LinkContext& link, uint8_t length) {
    return link.Line == LineState::Good && length == kCounterReply.length;
}

// The totals of one grade's record, the amount scale traced when it is 0.
std::optional<CounterTotals> Record(Station& station, uint8_t point, const DispenserMessage& reply, int32_t grade) {
    const AmountScale scale(station);
    scale.TraceIfZero(point);
    return DecodeCounterRecord(reply.bytes.data(), reply.replyLength, grade, scale.Value());
}

void LogWrongNumber(uint8_t point) { TracePointResult(TraceName(Command::GetCounter), point, "wrong number"); }

// Decodes grades 1..4 of a first answer into the cache; false when a field is not a number.
bool FillCache(Station& station, uint8_t point, const DispenserMessage& reply) {
    FillingPoint& fillingPoint = station.Point(point);
    const AmountScale scale(station);
    scale.TraceIfZero(point);
    CounterTotals decoded[kCachedGrades + 1] = {};
    for (int k = 1; k <= kCachedGrades; ++k) {
        const std::optional<CounterTotals> totals =
            DecodeCounterRecord(reply.bytes.data(), reply.replyLength, k, scale.Value());
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
    const SystemText& name = TraceName(Command::GetCounter);
    TracePoint(name, point);
    if (!IsGrade(grade)) {
        TracePointResult(name, point, "grade " + std::to_string(grade) + " refused");
        return;
    }
    // Grades 2..6 from the cache: 5 and 6 as 0.0, as a read fills 1..4 (host guide, "Host slots", slot 7).
    if (fillingPoint.VolumeTotals[1] > 0 && grade > 1) {
        *volume = fillingPoint.VolumeTotals[grade];
        *amount = fillingPoint.AmountTotals[grade];
        TracePointResult(trace::kCounterFromMemory, point, FormatGeneral(*volume));
        return;
    }

    DispenserMessage message = Request(station, point, Command::GetCounter, {fillingPoint.PointCode});
    SendOrRaise(station, point, message, "Невозможно выполнить запрос счетчиков ТРК");
    fillingPoint.VolumeTotals[1] = 0;

    bool answered = false;
    if (IsUsable(link, message.replyLength)) {
        answered = FillCache(station, point, message);
        if (answered) {
            *volume = fillingPoint.VolumeTotals[grade];
            *amount = fillingPoint.AmountTotals[grade];
        } else {
            LogWrongNumber(point);
        }
    }
    if (!answered) {
        TracePointResult("Two-Answer COUNTER(", point, FormatGeneral(*volume));
        message.replyLength =
            ReceiveConfirmingResets(station, point, message.bytes.data(), DispenserMessage::kCapacity);
        if (IsUsable(link, message.replyLength)) {
            if (const std::optional<CounterTotals> totals = Record(station, point, message, grade)) {
                *volume = totals->volume;
                *amount = totals->amount;
                answered = true;
            } else {
                LogWrongNumber(point);
            }
        }
        // Zeros for totals that could not be read are no totals: the line result must not call them good, or a
        // host books 0 as the totalizer.
        if (!answered) link.Line = LineState::LinkFailed;
    }
    TracePointResult(trace::kCounterRead, point, FormatGeneral(*volume));
}

}  // namespace sb
