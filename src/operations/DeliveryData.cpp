#include "operations/DeliveryData.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "common/Cp1251.h"
#include "common/Failure.h"
#include "link/PortExchange.h"
#include "operations/AmountScale.h"
#include "operations/MessageBuilder.h"
#include "operations/ReplyDecoders.h"
#include "operations/TraceNames.h"
#include "operations/WireNumbers.h"
#include "platform/Clock.h"
#include "state/PointTrace.h"

namespace sb {
namespace {

constexpr int kLockRepeats = 5;
constexpr uint32_t kLockRepeatPauseMs = 50;

const SystemText& PreviousSaleLocked() {
    static const SystemText text(trace::kPreviousSaleLocked);
    return text;
}

// Volumes closer than a hundredth of a litre read the same on the wire.
bool SameVolume(double a, double b) { return std::fabs(static_cast<long double>(a) - b) < 0.01L; }

// The host gets the dispenser's figure: the kept volume carries the bookkeeping's small steps, the line reads
// hundredths of a litre.
double ToHundredths(double volume) {
    return static_cast<double>(RoundHalfEven(static_cast<long double>(volume) * 100).value_or(0)) / 100;
}

// Slot 9 takes the figures as this delivery's when the point had a kept volume before the call, or when they
// are new: no more than `repeat` litres and other than the previous sale's final volume. The previous sale's
// own figures are never taken.
bool Accepted(const FillingPoint& fillingPoint, const DeliveryReading& reading, double previous, int repeat) {
    if (reading.previousSale) return false;
    const bool hadVolume = static_cast<long double>(previous) >= 0.01L;
    const bool newFigures =
        fillingPoint.CurVolume <= repeat && !SameVolume(fillingPoint.LastVolume, fillingPoint.CurVolume);
    return hadVolume || newFigures;
}

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
    SendOrRaise(station, point, message, "Невозможно выполнить запрос данных отлива ТРК");
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

void KeepVolume(FillingPoint& fillingPoint, double volume) {
    fillingPoint.CurVolume = volume;
    fillingPoint.CurVolumeSteps = 0;
}

void StepVolume(FillingPoint& fillingPoint, double step) {
    fillingPoint.CurVolume += step;
    fillingPoint.CurVolumeSteps += step;
}

double ShownVolume(const FillingPoint& fillingPoint) { return fillingPoint.CurVolume - fillingPoint.CurVolumeSteps; }

void MarkSaleBegan(FillingPoint& fillingPoint) {
    fillingPoint.SaleBegan = true;
    fillingPoint.LastVolumeKnown = false;
}

void CloseDelivery(FillingPoint& fillingPoint, double finalVolume, const DeliveryReading& reading) {
    fillingPoint.LastVolume = finalVolume;
    // An answer from memory tells nothing new of the display: the reference stays as known as it was.
    if (!reading.fromMemory) fillingPoint.LastVolumeKnown = reading.usable;
    fillingPoint.NewSale = false;
}

bool IsPreviousSale(const FillingPoint& fillingPoint, double volume) {
    return fillingPoint.NewSale && !fillingPoint.SaleBegan && SameVolume(fillingPoint.LastVolume, volume);
}

DeliveryReading ReadDeliveryData(Station& station, uint8_t point, bool markFault, bool skipCheck) {
    FillingPoint& fillingPoint = station.Point(point);
    DeliveryReading reading;
    if (!skipCheck) {
        const std::optional<int64_t> expected = ExpectedFinalVolume(station, point);
        if (expected && static_cast<long double>(*expected) / 100 - fillingPoint.CurVolume <= 0.005L) {
            TracePoint(trace::kDataWithoutRequest, point);
            reading.volume = ShownVolume(fillingPoint);
            reading.amount = fillingPoint.CurAmount;
            reading.usable = true;
            reading.fromMemory = true;
            StepVolume(fillingPoint, -kMemoryAnswerStep);
            return reading;
        }
    }
    const double previous = fillingPoint.CurVolume;
    if (!RequestDeliveryData(station, point, &reading.volume, &reading.amount)) {
        if (markFault) station.LinkOf(point).Line = LineState::FinalDataUnread;
        return DeliveryReading{};
    }
    const long double price = fillingPoint.Price[fillingPoint.SaleGrade];
    // The price read in hundredths whatever PDec is, on purpose (host guide, "Points, grades and units").
    if (std::fabs(price / 100 * reading.volume - reading.amount) >= 1.0L) {
        TracePointResult("NO VALID LITER=SUMMA(", point, "");
    } else {
        reading.usable = true;
        if (!fillingPoint.LastVolumeKnown && fillingPoint.NewSale && !fillingPoint.SaleBegan) {
            // The first figures after a START whose display the driver never read stand in for the previous sale.
            fillingPoint.LastVolume = reading.volume;
            fillingPoint.LastVolumeKnown = true;
        }
        if (IsPreviousSale(fillingPoint, reading.volume)) {
            // The display still shows the previous sale: whoever reads it, it is not taken for this delivery's.
            reading.previousSale = true;
        } else {
            KeepVolume(fillingPoint, reading.volume);
            fillingPoint.CurAmount = reading.amount;
            if (!SameVolume(fillingPoint.LastVolume, reading.volume)) MarkSaleBegan(fillingPoint);
        }
    }
    const double jump = fillingPoint.CurVolume - previous;
    if (static_cast<long double>(jump) > 2.0L) {
        TracePointResult("BIG JUMP LITER(", point, FormatGeneral(jump));
    }
    return reading;
}

double ReadLinkUnitCounter(Station& station, uint8_t point, double* amount) {
    *amount = 0;
    // Unframed: the request's bytes go out as they are and the answer comes back over them.
    const DispenserMessage request = Request(station, point, Command::LinkUnitCounter);
    uint8_t buffer[kExchangeBufferSize] = {};
    std::copy_n(request.bytes.begin(), request.length, buffer);
    LinkContext& link = station.LinkOf(point);
    const ExchangeOutcome exchange = PortExchange(link, buffer, request.length, kLinkUnitReply.length);
    if (exchange.Failed()) {
        static const SystemText kFailed("Невозможно запросить данные со счетчика блока связи");
        RaiseSerialIO(kFailed, RowOf(exchange.outcome).reason);
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
    DeliveryReading reading = ReadDeliveryData(station, point, false, false);
    int repeat = 1;
    // The dispenser is given time once after a START; later reads of the previous sale do not wait again.
    const auto waitedBefore = [&] { return reading.previousSale && fillingPoint.LockWaited; };
    for (; repeat <= kLockRepeats && !Accepted(fillingPoint, reading, previous, repeat) && !waitedBefore(); ++repeat) {
        // The first figures after a START may still be those of the previous delivery: look again.
        platform::Sleep(kLockRepeatPauseMs);
        WriteLog(kLevelTrace, PointTrace(PreviousSaleLocked(), point) + trace::kRepeatCount + std::to_string(repeat));
        KeepVolume(fillingPoint, 0);
        reading = ReadDeliveryData(station, point, false, true);
    }
    // Accepted figures close the lock only once the delivery showed that it began: until then a later read of the
    // previous sale's figures, by any slot, is still refused.
    if (repeat <= kLockRepeats && fillingPoint.SaleBegan) fillingPoint.NewSale = false;
    if (reading.previousSale) {
        fillingPoint.LockWaited = true;
        reading = DeliveryReading{};
    }
    *amount = reading.amount;
    return ToHundredths(reading.volume);
}

void FinalDeliveryData(Station& station, uint8_t point, double* volume, double* amount) {
    FillingPoint& fillingPoint = station.Point(point);
    TracePoint(trace::kFinalData, point);
    StepVolume(fillingPoint, kFinalReadStep);
    // Unread until the read shows the display: a read that fails raises past the line after it.
    fillingPoint.DisplayUnread = true;
    DeliveryReading reading = ReadDeliveryData(station, point, true, false);
    const bool begun = fillingPoint.SaleBegan || !fillingPoint.NewSale;
    fillingPoint.DisplayUnread = !reading.usable && !reading.previousSale;
    if (reading.previousSale || IsPreviousSale(fillingPoint, reading.volume)) {
        TracePoint(PreviousSaleLocked(), point);
        reading = DeliveryReading{};
        // The point reported a finished delivery since the START, but never that it began (its report was lost
        // on the line): a sale of the previous one's volume cannot be told from the previous one. The host is
        // told that the final figures could not be read rather than given 0/0 as a good result.
        if (fillingPoint.FinishReported) station.LinkOf(point).Line = LineState::FinalDataUnread;
    } else if (reading.usable || begun) {
        CloseDelivery(fillingPoint, reading.volume, reading);
    }
    // Unread figures of a delivery that never showed it began close nothing: the previous sale stays the
    // reference, so a second final read cannot take it for this one's.
    *volume = ToHundredths(reading.volume);
    *amount = reading.amount;
}

}  // namespace sb
