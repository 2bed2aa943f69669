#include "operations/StatusPolling.h"

#include <cstdio>
#include <string>

#include "common/Cp1251.h"
#include "common/Failure.h"
#include "operations/DeliveryData.h"
#include "operations/LinkCalls.h"
#include "operations/MaintenanceMessages.h"
#include "operations/MessageBuilder.h"
#include "operations/ReplyDecoders.h"
#include "operations/StartDelivery.h"
#include "operations/StatusClassification.h"
#include "operations/TraceNames.h"
#include "platform/Clock.h"
#include "state/PointTrace.h"

namespace sb {
namespace {

constexpr uint8_t kStatusRequestAt = 15;         // silent polls before the full status request
constexpr uint8_t kFollowUpEvery = 5;            // a follow-up whenever the silent count mod 5 is 4
constexpr uint8_t kResetAfter = 40;              // silent polls before a MASTER RESET
constexpr uint8_t kInitialiseReplyLength = 214;  // a status reply this long is answered with INITIALISATION

std::string Hex2(uint8_t code) {
    char text[3];
    std::snprintf(text, sizeof text, "%02X", code);
    return text;
}

const SystemText& PollText() { return TraceName(Command::StatusRequest); }

void SendStatusMessage(Station& station, uint8_t point, DispenserMessage& message) {
    SendOrRaise(station, point, message, "Невозможно выполнить запрос состояния ТРК");
}

// "3" and "4": the delivery is over; its figures are taken as final once the delivery showed that it began. Until
// then the figures are, or may still be, the previous sale's: a reading that differs from it shows the beginning.
void TakeFinishedDelivery(Station& station, uint8_t point, uint8_t digit) {
    SaleBook& book = station.Point(point).Sale;
    SaleFacts finished;
    finished.grade = digit;
    book.Apply(SaleEvent::FinishReported, finished);
    SaleFacts taken;
    taken.usable = ReadDeliveryData(station, point, false, true).usable;
    if (book.Apply(SaleEvent::FinishedTaken, taken).stage == DeliveryStage::Awaiting) {
        static const SystemText kLocked("Блокировка предидущего отлива 2(");
        TracePoint(kLocked, point);
    }
}

// "9": the dispenser asks to be initialised, as after a power cycle: whatever START it held is gone.
void RequestInitialisation(Station& station, uint8_t point) {
    static const SystemText kTrace("ЗАПРОС СОСТОЯНИЯ: Request INIT(");
    TracePoint(kTrace, point);
    station.Point(point).Sale.Apply(SaleEvent::Reinitialised);
    platform::Sleep(300);
    RequestIdentification(station, point);
    platform::Sleep(100);
    Initialise(station, point);
    platform::Sleep(400);
}

}  // namespace

uint8_t DecodeStatus(Station& station, uint8_t point, uint8_t statusChar, uint8_t digit) {
    FillingPoint& fillingPoint = station.Point(point);
    const StatusClass status = ClassifyStatus(statusChar, digit, fillingPoint.Sale.Now().startHold);
    switch (status.followUp) {
        case StatusFollowUp::None: break;
        case StatusFollowUp::TakeFinishedDelivery: TakeFinishedDelivery(station, point, digit); break;
        case StatusFollowUp::ReadDeliveryData: ReadDeliveryData(station, point, false, true); break;
        case StatusFollowUp::Initialise: RequestInitialisation(station, point); break;
        case StatusFollowUp::MasterReset: MasterReset(station, point); break;
    }
    SaleFacts reported;
    reported.startHold = status.startHold;
    reported.began = status.saleBegan;
    reported.grade = digit;
    fillingPoint.Sale.Apply(SaleEvent::StatusReported, reported);
    fillingPoint.PointState = status.code;
    return status.code;
}

namespace {

// Asks or only listens, depending on how long the point has been silent; the reply lands in message.
void ReadStatusReply(Station& station, uint8_t point, DispenserMessage& message) {
    FillingPoint& fillingPoint = station.Point(point);
    message.replyLength = 0;
    if (fillingPoint.NoReplyCount == kStatusRequestAt) {
        message = Request(station, point, Command::StatusRequest);
        SendStatusMessage(station, point, message);
    }
    if (message.replyLength != 0) return;
    if (fillingPoint.NoReplyCount % kFollowUpEvery == kFollowUpEvery - 1) {
        // The digit other than the dispenser's latest sequence digit ("1" when it never sent one).
        const char digit = static_cast<char>((station.LinkOf(point).ReplyToggle ^ 1) | 0x30);
        message = Request(station, point, Command::StatusFollowUp, {std::string_view(&digit, 1)});
        SendStatusMessage(station, point, message);
    } else {
        message.replyLength =
            ReceiveConfirmingResets(station, point, message.bytes.data(), DispenserMessage::kCapacity);
        // Only listened: a refusal answers the latest message sent.
        const LinkContext& link = station.LinkOf(point);
        if (link.ReplyRefusedOn[StartChannel()]) fillingPoint.Sale.Apply(SaleEvent::RefusalSeen);
    }
}

// A point with a good line that sent nothing: counted, and reset at the fortieth time in a row.
void CountSilence(Station& station, uint8_t point, uint8_t code) {
    FillingPoint& fillingPoint = station.Point(point);
    if (++fillingPoint.NoReplyCount < kResetAfter) {
        TracePointResult(PollText(), point, "bad NO BYTE - Init OFF");
        return;
    }
    TracePointResult(PollText(), point, "bad NO BYTE - Init");
    fillingPoint.NoReplyCount = 1;
    MasterReset(station, point);
    // A point that fell silent while its nozzle was up is reported as a failed line.
    if (code >= 0xE1 && code <= 0xE5) station.LinkOf(point).Line = LineState::LinkFailed;
}

}  // namespace

uint8_t PollStatus(Station& station, uint8_t point) {
    FillingPoint& fillingPoint = station.Point(point);
    LinkContext& link = station.LinkOf(point);
    platform::LockGuard hold(link.PointLock);
    if (fillingPoint.MasterResetPending) MasterReset(station, point);
    uint8_t code = fillingPoint.PointState;
    TracePoint(PollText(), point);

    DispenserMessage message;
    ReadStatusReply(station, point, message);
    if (const Sale sale = fillingPoint.Sale.Now(); sale.startRefused && sale.startHold > 0) {
        // The refusal of the latest START came after it returned: the point is not shown as started any longer.
        fillingPoint.Sale.Apply(SaleEvent::StartRefusalTaken);
        code = fillingPoint.PointState = RefusedStartState(sale);
        WriteLog(kLevelTrace, PointTrace(TraceName(Command::Start), point) + ": refused by the dispenser");
    }
    const uint8_t replyLength = message.replyLength;
    const std::optional<StatusReport> report = DecodeStatusReport(message.bytes.data(), replyLength);
    if (link.Line != LineState::Good) {
        const int status = static_cast<uint8_t>(link.Line.Load());
        TracePointResult(PollText(), point, "Bad (Status=" + std::to_string(status) + ")");
    } else if (report) {
        fillingPoint.NoReplyCount = 0;
        code = DecodeStatus(station, point, report->statusChar, report->digit);
        static const SystemText kReturn("ВОЗВРАТ СОСТОЯНИЯ(");
        TracePointResult(kReturn, point, Hex2(code));
        if (report->resetAsked) fillingPoint.MasterResetPending = true;
    } else if (replyLength == 0) {
        CountSilence(station, point, code);
    } else {
        fillingPoint.NoReplyCount = 0;
        TracePointResult(PollText(), point, "Bad (InByte=" + std::to_string(replyLength) + ")");
        if (replyLength == kInitialiseReplyLength) {
            Initialise(station, point);
            platform::Sleep(300);
        }
    }
    static const SystemText kExit(trace::kStatusExit);
    TracePointResult(kExit, point, Hex2(code));
    return code;
}

}  // namespace sb
