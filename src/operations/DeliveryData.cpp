#include "operations/DeliveryData.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "common/Cp1251.h"
#include "common/Failure.h"
#include "link/PortExchange.h"
#include "logging/PointTrace.h"
#include "operations/AmountScale.h"
#include "operations/MessageBuilder.h"
#include "operations/ReplyDecoders.h"
#include "operations/WireNumbers.h"
#include "platform/Clock.h"

namespace sb {
namespace {

constexpr int kLockRepeats = 5;
constexpr uint32_t kLockRepeatPauseMs = 50;

const SystemText& PreviousSaleLocked() {
    static const SystemText text("Блокировка предидущего отлива(");
    return text;
}

// Volumes closer than a hundredth of a litre read the same on the wire.
bool SameVolume(double a, double b) { return std::fabs(static_cast<long double>(a) - b) < 0.01L; }

// The volume (hundredths of a litre) the delivery is expected to end at, or nothing when it cannot be told.
std::optional<int64_t> ExpectedFinalVolume(Station& station, uint8_t point) {
    const FillingPoint& fillingPoint = station.Point(point);
    const int64_t byVolume = RoundHalfEven(static_cast<long double>(fillingPoint.VolumePreset) * 100).value_or(0);
    const int32_t price = fillingPoint.Price[fillingPoint.SaleGrade];
    int64_t byAmount = 0;
    if (fillingPoint.AmountPreset != 0) {
        if (price == 0) {
            // No price to turn the amount preset into litres: only the dispenser knows where the delivery ends.
            TracePoint("ZERO PRICE(", point);
            return std::nullopt;
        }
        byAmount = RoundHalfEven(static_cast<long double>(fillingPoint.AmountPreset) * 10000 / price).value_or(0);
    }
    return std::max(byVolume, byAmount);
}

// Asks the dispenser; returns the reply's figures when it gave a usable one.
bool RequestDeliveryData(Station& station, uint8_t point, double* volume, double* amount) {
    const SystemText& name = TraceName(Command::GetDataTransaction);
    TracePoint(name, point);
    DispenserMessage message = Request(station, point, Command::GetDataTransaction, {station.Point(point).PointCode});
    SendOrRaise(station, point, message, [] {
        static const SystemText kFailed("Невозможно выполнить запрос данных отлива ТРК");
        RaiseSerialIO(kFailed);
    });
    if (station.LinkOf(point).Line != LineState::Good || message.replyLength != kDeliveryReply.length) return false;
    const AmountScale scale(station);
    const std::optional<DeliveryFigures> figures =
        DecodeDeliveryReply(message.bytes.data(), message.replyLength, scale.Value());
    if (!figures) {
        TracePointResult(name, point, "wrong number");
        return false;
    }
    scale.TraceIfZero(point);
    *volume = figures->volume;
    *amount = figures->amount;
    return true;
}

}  // namespace

bool IsPreviousSale(const FillingPoint& fillingPoint, double volume) {
    return fillingPoint.NewSale && !fillingPoint.SaleBegan && SameVolume(fillingPoint.LastVolume, volume);
}

double ReadDeliveryData(Station& station, uint8_t point, double* amount, bool markFault, bool skipCheck) {
    FillingPoint& fillingPoint = station.Point(point);
    if (!skipCheck) {
        const std::optional<int64_t> expected = ExpectedFinalVolume(station, point);
        if (expected && static_cast<long double>(*expected) / 100 - fillingPoint.CurVolume <= 0.005L) {
            TracePoint("TRANSACTION No Request(", point);
            const double kept = fillingPoint.CurVolume;
            fillingPoint.CurVolume -= 0.002;
            *amount = fillingPoint.CurAmount;
            return kept;
        }
    }
    const double previous = fillingPoint.CurVolume;
    double volume = 0;
    *amount = 0;
    if (!RequestDeliveryData(station, point, &volume, amount)) {
        if (markFault) station.LinkOf(point).Line = LineState::FinalDataUnread;
        volume = 0;
        *amount = 0;
        return volume;
    }
    const long double price = fillingPoint.Price[fillingPoint.SaleGrade];
    if (std::fabs(price / 100 * volume - *amount) < 1.0L) {
        fillingPoint.CurVolume = volume;
        fillingPoint.CurAmount = *amount;
        if (!SameVolume(fillingPoint.LastVolume, volume)) fillingPoint.SaleBegan = true;
    } else {
        TracePointResult("NO VALID LITER=SUMMA(", point, "");
    }
    const double jump = fillingPoint.CurVolume - previous;
    if (static_cast<long double>(jump) > 2.0L) {
        TracePointResult("BIG JUMP LITER(", point, FormatGeneral(jump));
    }
    return volume;
}

double ReadLinkUnitCounter(Station& station, uint8_t point, double* amount) {
    *amount = 0;
    // Unframed: the request's bytes go out as they are and the answer comes back over them. The buffer leaves
    // room for the longest answer a port service writes.
    const DispenserMessage request = Request(station, point, Command::LinkUnitCounter);
    uint8_t buffer[256] = {};
    std::copy_n(request.bytes.begin(), request.length, buffer);
    LinkContext& link = station.LinkOf(point);
    if (PortExchange(link, buffer, request.length, kLinkUnitReply.length).Failed()) {
        static const SystemText kFailed("Невозможно запросить данные со счетчика блока связи");
        RaiseSerialIO(kFailed);
    }
    if (link.Line != LineState::Good) return 0;
    // The answer's four bytes are read whatever count the port reported, as the link unit's protocol has it.
    const std::optional<double> volume = DecodeLinkUnitReply(buffer, kLinkUnitReply.length);
    if (!volume) return 0;
    FillingPoint& fillingPoint = station.Point(point);
    *amount = static_cast<double>(static_cast<long double>(fillingPoint.Price[fillingPoint.SaleGrade]) * *volume / 100);
    return *volume;
}

double CurrentDeliveryData(Station& station, uint8_t point, double* amount) {
    FillingPoint& fillingPoint = station.Point(point);
    if (fillingPoint.T10Line) return ReadLinkUnitCounter(station, point, amount);
    const double previous = fillingPoint.CurVolume;
    double volume = ReadDeliveryData(station, point, amount, false, false);
    for (int repeat = 1; repeat <= kLockRepeats; ++repeat) {
        const bool hadVolume = static_cast<long double>(previous) >= 0.01L;
        const bool newFigures =
            fillingPoint.CurVolume <= repeat && !SameVolume(fillingPoint.LastVolume, fillingPoint.CurVolume);
        if (hadVolume || newFigures) {
            fillingPoint.NewSale = false;
            return volume;
        }
        // The first figures after a START may still be those of the previous delivery: look again.
        platform::Sleep(kLockRepeatPauseMs);
        WriteLog(kLevelTrace, PointTrace(PreviousSaleLocked(), point) + ". RepeatCount=" + std::to_string(repeat));
        fillingPoint.CurVolume = 0;
        volume = ReadDeliveryData(station, point, amount, false, true);
    }
    return volume;
}

void FinalDeliveryData(Station& station, uint8_t point, double* volume, double* amount) {
    FillingPoint& fillingPoint = station.Point(point);
    TracePoint("GET ITOG DATA TRANSACTION(", point);
    fillingPoint.CurVolume += 0.001;
    double finalVolume = ReadDeliveryData(station, point, amount, true, false);
    if (IsPreviousSale(fillingPoint, finalVolume)) {
        TracePoint(PreviousSaleLocked(), point);
        finalVolume = 0;
        *amount = 0;
        // The point reported a finished delivery since the START, but never that it began (its report was lost
        // on the line): a sale of the previous one's volume cannot be told from the previous one. The host is
        // told that the final figures could not be read rather than given 0/0 as a good result.
        if (fillingPoint.FinishReported) station.LinkOf(point).Line = LineState::FinalDataUnread;
    } else {
        fillingPoint.LastVolume = finalVolume;
        fillingPoint.NewSale = false;
    }
    *volume = finalVolume;
}

}  // namespace sb
