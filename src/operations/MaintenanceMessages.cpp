#include "operations/MaintenanceMessages.h"

#include <string>

#include "common/Cp1251.h"
#include "link/LinkFailures.h"
#include "link/ReceiveReply.h"
#include "link/SendMessage.h"
#include "logging/PointTrace.h"
#include "operations/MessageBuilder.h"
#include "operations/NestedOperation.h"
#include "operations/StatusPolling.h"

namespace sb {
namespace {

void Send(TVM30& driver, uint8_t point, DispenserMessage& message) {
    if (SendMessage(driver, point, message) != 0) RaiseResetFailed();
}

// Hands an 18-character status reply to the status decode when the line is good.
void DecodeStatusReply(TVM30& driver, uint8_t point, const DispenserMessage& message) {
    if (driver.Point(point).LineResult != 1 || message.replyLength != kStatusReportLength) return;
    DecodeStatus(driver, point, message.bytes[kStatusCharAt],
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

}  // namespace

void ConfirmReset(TVM30& driver, uint8_t point, uint8_t first, uint8_t channel) {
    // A dispenser that asks for a reset again while its confirmation is on the way is answered by the one
    // already running; confirming again would nest without end.
    const NestedOperation running(&driver, point, Maintenance::ConfirmReset);
    if (running.AlreadyRunning()) return;
    static const SystemText kTrace("Подтверждение RESET(");
    TracePoint(kTrace, point);
    DispenserMessage message;
    AppendText(message, "00<600");
    message.bytes[0] = first;
    message.bytes[1] = channel;
    Send(driver, point, message);
    FillingPoint& fillingPoint = driver.Point(point);
    const int k = channel - '0';
    if (k == 0 || k == 1) {
        fillingPoint.SeqChar[k] = '0';
        fillingPoint.ReqChar[k] = '1';
    }
    if (!fillingPoint.MasterResetPending) DecodeStatusReply(driver, point, message);
}

void MasterReset(TVM30& driver, uint8_t point) {
    // A status decoded inside a MASTER RESET may ask for another one; that request is already being served.
    const NestedOperation running(&driver, point, Maintenance::MasterReset);
    if (running.AlreadyRunning()) return;
    FillingPoint& fillingPoint = driver.Point(point);
    const PendingCleared cleared(fillingPoint);
    TracePoint("MASTER RESET(", point);
    DispenserMessage message;
    BuildHeader(driver, point, message);
    AppendText(message, "9998ZD0000");
    Send(driver, point, message);
    fillingPoint.MasterResetPending = false;
    DecodeStatusReply(driver, point, message);
    if (fillingPoint.LineResult != 1) return;
    message.replyLength = ReceiveReply(driver, point, message.bytes.data(), DispenserMessage::kCapacity);
    DecodeStatusReply(driver, point, message);
}

void RequestIdentification(TVM30& driver, uint8_t point) {
    TracePoint("IDENTIFICATION REQUEST(", point);
    DispenserMessage message;
    BuildHeader(driver, point, message);
    AppendText(message, "9999ZD");
    AppendText(message, "00");
    AppendText(message, "0002");
    Send(driver, point, message);
}

void Initialise(TVM30& driver, uint8_t point) {
    TracePoint("INITIALISATION(", point);
    DispenserMessage message;
    BuildHeader(driver, point, message);
    AppendText(message, "9997ZD");
    AppendText(message, driver.Point(point).PointCode);
    AppendText(message, "00A");
    AppendText(message, "00000000000");
    AppendText(message, "000000000000");
    AppendText(message, "000");
    AppendText(message, "01");
    AppendText(message, "10");
    AppendText(message, "I");
    for (int i = 0; i < 8; ++i) AppendText(message, "0100");
    Send(driver, point, message);
}

}  // namespace sb
