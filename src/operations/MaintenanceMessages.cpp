#include "operations/MaintenanceMessages.h"

#include <string>

#include "common/Cp1251.h"
#include "link/LinkFailures.h"
#include "link/ReceiveReply.h"
#include "link/SendMessage.h"
#include "logging/PointTrace.h"
#include "operations/MessageBuilder.h"
#include "operations/StatusPolling.h"

namespace sb {
namespace {

void Send(Station& station, uint8_t point, DispenserMessage& message) {
    if (SendMessage(station.LinkOf(point), message) != 0) RaiseResetFailed();
}

// Hands an 18-character status reply to the status decode when the line is good.
void DecodeStatusReply(Station& station, uint8_t point, const DispenserMessage& message) {
    if (station.LinkOf(point).Line != LineState::Good || message.replyLength != kStatusReportLength) return;
    DecodeStatus(station, point, message.bytes[kStatusCharAt],
                 static_cast<uint8_t>(message.bytes[kStatusDigitAt] - '0'));
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

// Counts the runs of one maintenance message on this thread. Asked for again from inside itself (a status
// decoded in its reply asking once more), the message is not started again: that request is being served.
// Nested runs are always for the same point: an operation never works on two points.
class RunOnThisThread {
public:
    explicit RunOnThisThread(int& depth) : depth_(depth) { ++depth_; }
    ~RunOnThisThread() { --depth_; }
    RunOnThisThread(const RunOnThisThread&) = delete;
    RunOnThisThread& operator=(const RunOnThisThread&) = delete;

    bool Nested() const { return depth_ > 1; }

private:
    int& depth_;
};

thread_local int confirmResetRuns = 0;
thread_local int masterResetRuns = 0;

}  // namespace

void ConfirmReset(Station& station, uint8_t point, uint8_t first, uint8_t channel) {
    // A dispenser that asks for a reset again while its confirmation is on the way is answered by the one
    // already running; confirming again would nest without end.
    const RunOnThisThread run(confirmResetRuns);
    if (run.Nested()) return;
    static const SystemText kTrace("Подтверждение RESET(");
    TracePoint(kTrace, point);
    DispenserMessage message;
    AppendText(message, "00<600");
    message.bytes[0] = first;
    message.bytes[1] = channel;
    Send(station, point, message);
    LinkContext& link = station.LinkOf(point);
    const int k = channel - '0';
    if (k == 0 || k == 1) {
        link.SeqChar[k] = '0';
        link.ReqChar[k] = '1';
    }
    if (!station.Point(point).MasterResetPending) DecodeStatusReply(station, point, message);
}

void MasterReset(Station& station, uint8_t point) {
    // A status decoded inside a MASTER RESET may ask for another one; that request is already being served.
    const RunOnThisThread run(masterResetRuns);
    if (run.Nested()) return;
    FillingPoint& fillingPoint = station.Point(point);
    const PendingCleared cleared(fillingPoint);
    TracePoint("MASTER RESET(", point);
    DispenserMessage message;
    BuildHeader(station, point, message);
    AppendText(message, "9998ZD0000");
    Send(station, point, message);
    fillingPoint.MasterResetPending = false;
    DecodeStatusReply(station, point, message);
    if (station.LinkOf(point).Line != LineState::Good) return;
    message.replyLength = ReceiveReply(station.LinkOf(point), message.bytes.data(), DispenserMessage::kCapacity);
    DecodeStatusReply(station, point, message);
}

void RequestIdentification(Station& station, uint8_t point) {
    TracePoint("IDENTIFICATION REQUEST(", point);
    DispenserMessage message;
    BuildHeader(station, point, message);
    AppendText(message, "9999ZD");
    AppendText(message, "00");
    AppendText(message, "0002");
    Send(station, point, message);
}

void Initialise(Station& station, uint8_t point) {
    TracePoint("INITIALISATION(", point);
    DispenserMessage message;
    BuildHeader(station, point, message);
    AppendText(message, "9997ZD");
    AppendText(message, station.Point(point).PointCode);
    AppendText(message, "00A");
    AppendText(message, "00000000000");
    AppendText(message, "000000000000");
    AppendText(message, "000");
    AppendText(message, "01");
    AppendText(message, "10");
    AppendText(message, "I");
    for (int i = 0; i < 8; ++i) AppendText(message, "0100");
    Send(station, point, message);
}

}  // namespace sb
