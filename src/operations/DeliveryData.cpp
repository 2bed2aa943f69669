#include "operations/DeliveryData.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "common/Cp1251.h"
#include "common/Failure.h"
#include "link/PortExchange.h"
#include "operations/AmountScale.h"
#include "operations/LinkCalls.h"
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

// The host gets the dispenser's figure: the kept volume carries the bookkeeping's small steps, the line reads
// hundredths of a litre.
double ToHundredths(double volume) {
    return static_cast<double>(RoundHalfEven(static_cast<long double>(volume) * 100).value_or(0)) / 100;
}

// Slot 9 takes the figures as this delivery's when the point had a kept volume before the call, or when they
// are new: no more than `repeat` litres and other than the previous sale's final volume. The previous sale's
// own figures are never taken.
bool Accepted(const Sale& sale, const DeliveryReading& reading, double previous, int repeat) {
    if (reading.previousSale) return false;
    const bool hadVolume = static_cast<long double>(previous) >= 0.01L;
    const bool newFigures = sale.volume <= repeat && !SameVolume(sale.reference, sale.volume);
    return hadVolume || newFigures;
}

// The price the delivery's amount was reckoned at: the one its START carried, so that a price the host set since
// (for the next sale) does not judge it; the grade's price in force when no START of this driver's authorised it.
int32_t DeliveryPrice(const FillingPoint& fillingPoint, const Sale& sale) {
    if (sale.startPrice > 0 && sale.startGrade == sale.grade) return sale.startPrice;
    return fillingPoint.Price[sale.grade];
}

// The amount the dispenser reckoned, when volume × price bears it out (within a money unit). Its field carries six
// digits of 1/SDec units, so a larger amount arrives wrapped: where volume × price tells how often, the true amount
// is the field plus that many wraps. Nothing when the figures do not agree either way.
std::optional<double> PlausibleAmount(double volume, double amount, int32_t price, int32_t amountScale) {
    // The price read in hundredths whatever PDec is, on purpose (host guide, "Points, grades and units").
    const long double reckoned = static_cast<long double>(price) / 100 * volume;
    if (std::fabs(reckoned - amount) < 1.0L) return amount;
    if (amountScale <= 0) return std::nullopt;
    const long double wrap = std::pow(10.0L, kDeliveryReply.amount.width) / amountScale;
    const long double wraps = std::round((reckoned - amount) / wrap);
    const long double unwrapped = amount + wraps * wrap;
    if (wraps < 1 || std::fabs(reckoned - unwrapped) >= 1.0L) return std::nullopt;
    return static_cast<double>(unwrapped);
}

// Asks the dispenser; returns the reply's figures when it gave a usable one.
bool RequestDeliveryData(Station& station, uint8_t point, double* volume, double* amount) {
    const SystemText& name = TraceName(Command::GetDataTransaction);
    TracePoint(name, point);
    DispenserMessage message = Request(station, point, Command::GetDataTransaction, {station.Point(point).PointCode});
    SendOrRaise(station, point, message, "Невозможно выполнить запрос данных отлива ТРК");
    if (station.LinkOf(point).Line != LineState::Good) return false;
    if (message.replyLength != kDeliveryReply.length) {
        TakeUndecodedReport(station, point, message.bytes.data(), message.replyLength);
        return false;
    }
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

// Figures the dispenser gave: checked against the delivery's price and told to the sale.
void TakeDeliveryFigures(Station& station, uint8_t point, DeliveryReading& reading) {
    FillingPoint& fillingPoint = station.Point(point);
    const Sale sale = fillingPoint.Sale.Now();
    const std::optional<double> amount =
        PlausibleAmount(reading.volume, reading.amount, DeliveryPrice(fillingPoint, sale), station.SDec);
    if (!amount) {
        TracePointResult("NO VALID LITER=SUMMA(", point, "");
        reading.doubtful = true;
        reading.previousSale = IsPreviousSale(sale, reading.volume);
        return;
    }
    if (*amount != reading.amount) TracePointResult("AMOUNT WRAPPED(", point, FormatGeneral(*amount));
    reading.amount = *amount;
    reading.usable = true;
    SaleFacts figures;
    figures.volume = reading.volume;
    figures.amount = *amount;
    const Sale after = fillingPoint.Sale.Apply(SaleEvent::FiguresRead, figures);
    // The display still shows the previous sale: whoever reads it, it is not taken for this delivery's.
    reading.previousSale = IsPreviousSale(after, reading.volume);
}

}  // namespace

DeliveryReading ReadDeliveryData(Station& station, uint8_t point, bool markFault, bool skipCheck) {
    SaleBook& book = station.Point(point).Sale;
    DeliveryReading reading;
    const Sale before = book.Now();
    if (!skipCheck && MayAnswerFromMemory(before)) {
        TracePoint(trace::kDataWithoutRequest, point);
        reading.volume = ShownVolume(before);
        reading.amount = before.amount;
        reading.usable = true;
        reading.fromMemory = true;
        book.Apply(SaleEvent::MemoryAnswered);
        return reading;
    }
    if (!RequestDeliveryData(station, point, &reading.volume, &reading.amount)) {
        if (markFault) station.LinkOf(point).Line = LineState::FinalDataUnread;
        return DeliveryReading{};
    }
    TakeDeliveryFigures(station, point, reading);
    const double jump = book.Now().volume - before.volume;
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
    const FillingPoint& fillingPoint = station.Point(point);
    const long double price = DeliveryPrice(fillingPoint, fillingPoint.Sale.Now());
    *amount = static_cast<double>(price * *volume / 100);
    return *volume;
}

double CurrentDeliveryData(Station& station, uint8_t point, double* amount) {
    FillingPoint& fillingPoint = station.Point(point);
    if (fillingPoint.T10Line) return ReadLinkUnitCounter(station, point, amount);
    SaleBook& book = fillingPoint.Sale;
    const double previous = book.Now().volume;
    DeliveryReading reading = ReadDeliveryData(station, point, false, false);
    // The dispenser is given time once after a START; later reads of the previous sale do not wait again.
    const auto waitedBefore = [&] { return reading.previousSale && book.Now().lockWaited; };
    for (int repeat = 1; repeat <= kLockRepeats && !Accepted(book.Now(), reading, previous, repeat) && !waitedBefore();
         ++repeat) {
        // The first figures after a START may still be those of the previous delivery: look again.
        platform::Sleep(kLockRepeatPauseMs);
        WriteLog(kLevelTrace, PointTrace(PreviousSaleLocked(), point) + trace::kRepeatCount + std::to_string(repeat));
        book.Apply(SaleEvent::KeptCleared);
        reading = ReadDeliveryData(station, point, false, true);
    }
    if (reading.previousSale) {
        book.Apply(SaleEvent::LockWaited);
        reading = DeliveryReading{};
    }
    *amount = reading.amount;
    return ToHundredths(reading.volume);
}

void FinalDeliveryData(Station& station, uint8_t point, double* volume, double* amount) {
    SaleBook& book = station.Point(point).Sale;
    Relaxed<LineState>& line = station.LinkOf(point).Line;
    TracePoint(trace::kFinalData, point);
    // No START and no delivery since the driver started (or since the dispenser re-initialised): the display shows
    // a sale the driver cannot tell from one handed over before.
    const Sale before = book.Apply(SaleEvent::FinalReadStarts);
    const bool unseen =
        before.stage == DeliveryStage::Closed && before.start == StartStage::None && !before.referenceKnown;
    DeliveryReading reading = ReadDeliveryData(station, point, true, false);
    const Sale sale = book.Now();
    const bool displayRead = reading.usable || reading.doubtful;
    const bool locked = reading.previousSale || IsPreviousSale(sale, reading.volume);
    // A delivery the dispenser's re-initialisation cut, its display cleared or gone back below what was kept of
    // it: what it sold is not known.
    // So is a delivery that began with nothing kept of it when the display reads 0.00: a dispenser whose
    // re-initialisation the driver missed looks the same.
    const bool zeroRead = displayRead && !reading.fromMemory && SameVolume(reading.volume, 0.0);
    const bool cleared =
        (sale.cut && displayRead && !reading.fromMemory && (zeroRead || reading.volume < ShownVolume(sale) - 0.005)) ||
        (zeroRead && before.stage == DeliveryStage::Began && SameVolume(ShownVolume(before), 0.0));
    SaleFacts read;
    read.volume = reading.volume;
    read.usable = displayRead;
    read.fromMemory = reading.fromMemory;
    // A cleared or unseen display stays unknown, however often it is read: nothing is closed on it.
    read.previousSale = locked || cleared || unseen;
    book.Apply(SaleEvent::FinalRead, read);
    if (cleared) {
        TracePointResult(trace::kFinalData, point, "display cleared or gone back: what the delivery sold is not known");
        line = LineState::FinalDataUnread;
        reading = DeliveryReading{};
    } else if (unseen && displayRead) {
        // The display's figures go to the host, which may know the sale it started before it restarted, but not
        // as this driver's sale.
        TracePointResult(trace::kFinalData, point, "no delivery seen since the start");
        line = LineState::FinalDataUnread;
    } else if (locked) {
        TracePoint(PreviousSaleLocked(), point);
        reading = DeliveryReading{};
        // The point reported a finished delivery since the START, or re-initialised, but never showed that the
        // delivery began (its reports were lost on the line): a sale of the previous one's volume cannot be told
        // from the previous one. The host is told that the final figures could not be read rather than given 0/0
        // as a good result.
        // So is a START whose display the driver never read, when the figures this read takes as the previous
        // sale's are the first it reads: they may as well be a delivery whose reports never came.
        const bool standIn = before.stage == DeliveryStage::Awaiting && !before.referenceKnown;
        if (sale.finishReported || sale.cut || standIn) line = LineState::FinalDataUnread;
    } else if (reading.doubtful) {
        // The volume is the dispenser's; its amount is not borne out: the host is told not to take it as good.
        line = LineState::FinalDataUnread;
    }
    *volume = ToHundredths(reading.volume);
    *amount = reading.amount;
}

}  // namespace sb
