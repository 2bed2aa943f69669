#include "link/SelectPoint.h"

#include <string>

#include "common/Cp1251.h"
#include "link/LineBytes.h"
#include "link/LinkFailures.h"
#include "link/LinkSequences.h"
#include "link/PollLimits.h"
#include "link/PortExchange.h"
#include "logging/PointTrace.h"
#include "operations/MaintenanceMessages.h"

namespace sb {

bool SelectPoint(TVM30& driver, uint8_t point) {
    static const SystemText kTrace("Запрос(");
    TracePoint(kTrace, point);

    uint8_t buffer[256] = {};
    for (int cycles = 1;; ++cycles) {
        PutPollOrSelect(buffer, '0');
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

    PutPollOrSelect(buffer, '1');
    if (PortExchange(driver, point, buffer, 3, line::kPollReplySize) != 0) RaiseSelectFailed();
    return line::IsAcknowledgement(buffer);
}

}  // namespace sb
