#include "operations/MaintenanceMessages.h"

#include <string>

#include "common/Cp1251.h"
#include "link/LinkFailures.h"
#include "link/ReceiveReply.h"
#include "link/SendMessage.h"
#include "logging/Log.h"
#include "operations/MessageBuilder.h"
#include "operations/StatusPolling.h"

namespace sb {
namespace {

void Trace(const char* name, uint8_t point) { WriteLog(kLevelTrace, std::string(name) + std::to_string(point) + ")"); }

void Send(TVM30& driver, uint8_t point, DispenserMessage& message) {
    if (SendMessage(driver, point, message) != 0) RaiseResetFailed();
}

// Clears the point's flags on every way out of a MASTER RESET, exceptions included.
class MasterResetScope {
public:
    explicit MasterResetScope(FillingPoint& point) : point_(point) { point_.MasterResetRunning = true; }
    ~MasterResetScope() {
        point_.MasterResetPending = false;
        point_.MasterResetRunning = false;
    }
    MasterResetScope(const MasterResetScope&) = delete;
    MasterResetScope& operator=(const MasterResetScope&) = delete;

private:
    FillingPoint& point_;
};

// Hands an 18-character status reply to the status decode when the line is good.
void DecodeStatusReply(TVM30& driver, uint8_t point, const uint8_t* reply, uint8_t replyLength) {
    if (driver.Point(point).LineResult != 1 || replyLength != kStatusReportLength) return;
    DecodeStatus(driver, point, reply[kStatusCharAt], static_cast<uint8_t>(reply[kStatusDigitAt] - '0'));
}

}  // namespace

void ConfirmReset(TVM30& driver, uint8_t point, uint8_t first, uint8_t channel) {
    static const SystemText kTrace("Подтверждение RESET(");
    WriteLog(kLevelTrace, kTrace.cp1251 + std::to_string(point) + ")");
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
    if (!fillingPoint.MasterResetPending) {
        DecodeStatusReply(driver, point, message.bytes.data(), message.replyLength);
    }
}

void MasterReset(TVM30& driver, uint8_t point) {
    FillingPoint& fillingPoint = driver.Point(point);
    // A status decoded inside a MASTER RESET may ask for another one; that request is already being served.
    if (fillingPoint.MasterResetRunning) return;
    MasterResetScope scope(fillingPoint);
    Trace("MASTER RESET(", point);
    DispenserMessage message;
    BuildHeader(driver, point, message);
    AppendText(message, "9998ZD0000");
    Send(driver, point, message);
    fillingPoint.MasterResetPending = false;
    DecodeStatusReply(driver, point, message.bytes.data(), message.replyLength);
    if (fillingPoint.LineResult != 1) return;
    message.replyLength = ReceiveReply(driver, point, message.bytes.data(), DispenserMessage::kCapacity);
    DecodeStatusReply(driver, point, message.bytes.data(), message.replyLength);
}

void RequestIdentification(TVM30& driver, uint8_t point) {
    Trace("IDENTIFICATION REQUEST(", point);
    DispenserMessage message;
    BuildHeader(driver, point, message);
    AppendText(message, "9999ZD");
    AppendText(message, "00");
    AppendText(message, "0002");
    Send(driver, point, message);
}

void Initialise(TVM30& driver, uint8_t point) {
    Trace("INITIALISATION(", point);
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
