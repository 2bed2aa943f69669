#include "operations/MaintenanceMessages.h"

#include <string>

#include "common/Cp1251.h"
#include "link/CallContext.h"
#include "link/LinkOutcome.h"
#include "operations/LinkCalls.h"
#include "operations/MessageBuilder.h"
#include "operations/ReplyDecoders.h"
#include "operations/StatusPolling.h"
#include "state/PointTrace.h"

namespace sb {
namespace {

// Sends a maintenance message, traced under its name, and returns it with its reply; the port failing on it
// raises the text of a failed poll, "Невозможно выполнить сброс ТРК".
DispenserMessage Send(Station& station, uint8_t point, Command command,
                      std::initializer_list<std::string_view> fields = {}) {
    TracePoint(TraceName(command), point);
    DispenserMessage message = Request(station, point, command, fields);
    SendOrRaise(station, point, message, RowOf(LinkOutcome::PortFailure).text);
    return message;
}

// Hands a status report to the status decode when the line is good.
void DecodeStatusReply(Station& station, uint8_t point, const DispenserMessage& message) {
    if (station.LinkOf(point).Line != LineState::Good) return;
    if (const std::optional<StatusReport> report = DecodeStatusReport(message.bytes.data(), message.replyLength)) {
        DecodeStatus(station, point, report->statusChar, report->digit);
    }
}

// Clears MasterResetPending on every way out of a MASTER RESET, exceptions included.
class PendingCleared {
public:
    explicit PendingCleared(FillingPoint& point) : point_(point) {}
    ~PendingCleared() { point_.MasterResetPending = false; }
    PendingCleared(const PendingCleared&) = delete;
    PendingCleared& operator=(const PendingCleared&) = delete;

private:
    FillingPoint& point_;
};

// Counts the runs of one maintenance message in the call (link/CallContext.h). Asked for again from inside itself
// (a status decoded in its reply asking once more), the message is not started again: that request is being
// served. Nested runs are always for the same point: an operation never works on two points.
class RunInThisCall {
public:
    explicit RunInThisCall(int& depth) : depth_(depth) { ++depth_; }
    ~RunInThisCall() { --depth_; }
    RunInThisCall(const RunInThisCall&) = delete;
    RunInThisCall& operator=(const RunInThisCall&) = delete;

    bool Nested() const { return depth_ > 1; }

private:
    int& depth_;
};

}  // namespace

void ConfirmReset(Station& station, uint8_t point, const ResetRequest& request) {
    // A dispenser that asks for a reset again while its confirmation is on the way is answered by the one
    // already running; confirming again would nest without end.
    const RunInThisCall run(ThisCall().resetConfirmations);
    if (run.Nested()) return;
    const char dispenserFirst = static_cast<char>(request.first);
    const char dispenserChannel = static_cast<char>(request.channel);
    const DispenserMessage message =
        Send(station, point, Command::ResetConfirmation,
             {std::string_view(&dispenserFirst, 1), std::string_view(&dispenserChannel, 1)});
    LinkContext& link = station.LinkOf(point);
    const int k = request.channel - '0';
    if (k == 0 || k == 1) {
        link.SeqChar[k] = '0';
        link.ReqChar[k] = '1';
    }
    if (!station.Point(point).MasterResetPending) DecodeStatusReply(station, point, message);
}

void MasterReset(Station& station, uint8_t point) {
    // A status decoded inside a MASTER RESET may ask for another one; that request is already being served.
    const RunInThisCall run(ThisCall().masterResets);
    if (run.Nested()) return;
    FillingPoint& fillingPoint = station.Point(point);
    const PendingCleared cleared(fillingPoint);
    ++station.LinkOf(point).Stats.ResetsSent;
    DispenserMessage message = Send(station, point, Command::MasterReset);
    fillingPoint.MasterResetPending = false;
    DecodeStatusReply(station, point, message);
    if (station.LinkOf(point).Line != LineState::Good) return;
    message.replyLength = ReceiveConfirmingResets(station, point, message.bytes.data(), DispenserMessage::kCapacity);
    DecodeStatusReply(station, point, message);
}

void RequestIdentification(Station& station, uint8_t point) { Send(station, point, Command::Identification); }

void Initialise(Station& station, uint8_t point) {
    Send(station, point, Command::Initialisation, {station.Point(point).PointCode});
}

}  // namespace sb
