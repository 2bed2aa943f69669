#include "link/SelectPoint.h"

#include <string>

#include "common/Cp1251.h"
#include "link/LineBytes.h"
#include "link/LinkFailures.h"
#include "link/PollLimits.h"
#include "link/PortExchange.h"
#include "logging/Log.h"
#include "operations/MaintenanceMessages.h"

namespace sb {
namespace {

void PutSequence(uint8_t* buffer, uint8_t middle) {
    buffer[0] = line::EOT;
    buffer[1] = middle;
    buffer[2] = line::ENQ;
}

// Acknowledges what the dispenser just sent; the answer is its next block or EOT.
void Acknowledge(TVM30& driver, uint8_t point, uint8_t* buffer, uint8_t& digit) {
    buffer[0] = line::DLE;
    buffer[1] = digit;
    digit = line::OtherDigit(digit);
    if (PortExchange(driver, point, buffer, 2, line::kAckReplySize) != 0) RaiseResetFailed();
}

}  // namespace

bool SelectPoint(TVM30& driver, uint8_t point) {
    static const SystemText kTrace("Запрос(");
    WriteLog(kLevelTrace, kTrace.cp1251 + std::to_string(point) + ")");

    uint8_t buffer[256] = {};
    for (int cycles = 1;; ++cycles) {
        PutSequence(buffer, '0');
        uint8_t digit = '0';
        if (PortExchange(driver, point, buffer, 3, line::kPollReplySize) != 0) RaiseResetFailed();
        if (line::IsAcknowledgement(buffer)) return true;

        const bool answeredEot = buffer[0] == line::EOT;
        if (!answeredEot) {
            // The dispenser still has something to say: take it and throw it away.
            const uint8_t first = buffer[1];
            Acknowledge(driver, point, buffer, digit);
            if (buffer[3] == '?') {
                ConfirmReset(driver, point, first, buffer[2]);
            } else {
                for (int drained = 1; buffer[0] != line::EOT && driver.Point(point).LineResult != 2 &&
                                      drained < kMaxBlocksPerReply;
                     ++drained) {
                    Acknowledge(driver, point, buffer, digit);
                }
            }
        }
        if (cycles > kMaxPollCycles) RaiseNotReceiving();
        if (answeredEot) break;
    }

    PutSequence(buffer, '1');
    if (PortExchange(driver, point, buffer, 3, line::kPollReplySize) != 0) RaiseSelectFailed();
    return line::IsAcknowledgement(buffer);
}

}  // namespace sb
