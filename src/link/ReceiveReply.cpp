#include "link/ReceiveReply.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "common/Cp1251.h"
#include "link/BlockCheck.h"
#include "link/LineBytes.h"
#include "link/LinkFailures.h"
#include "link/PollLimits.h"
#include "link/PortExchange.h"
#include "logging/Log.h"
#include "operations/MaintenanceMessages.h"

namespace sb {
namespace {

constexpr uint8_t kShortAnswerLength = 4;  // a wait answer or a refusal: four characters

void Answer(TVM30& driver, uint8_t point, uint8_t* buffer, uint8_t count) {
    if (PortExchange(driver, point, buffer, count, line::kAckReplySize) != 0) RaiseResetFailed();
}

std::string PointText(const SystemText& text, uint8_t point) {
    return text.cp1251 + std::to_string(point) + ")";
}

}  // namespace

uint8_t ReceiveReply(TVM30& driver, uint8_t point, uint8_t* reply, uint8_t capacity) {
    static const SystemText kStart("Прием ответа(");
    static const SystemText kWait("Ожидание ответа(");
    static const SystemText kInvert("Инвертация байта запроса(");
    static const SystemText kEnd("Конец приема ответа(");
    WriteLog(kLevelTrace, PointText(kStart, point));

    FillingPoint& fillingPoint = driver.Point(point);
    uint8_t buffer[256] = {};
    int eotCount = 0;
    uint8_t total = 0;
    bool givenUp = false;
    for (int cycles = 1; !givenUp; ++cycles) {
        buffer[0] = line::EOT;
        buffer[1] = '0';
        buffer[2] = line::ENQ;
        uint8_t digit = '0';
        if (PortExchange(driver, point, buffer, 3, line::kPollReplySize) != 0) RaiseResetFailed();

        if (buffer[0] == line::EOT) {
            ++eotCount;
        } else {
            eotCount = 0;
            int blocks = 0;
            int naks = 0;
            while (buffer[0] != line::EOT && fillingPoint.LineResult != 2) {
                const uint8_t count = LastReceiveCount(point);
                if (!IsValidBlock(buffer, count)) {
                    // A corrupted block: ask for it again without advancing the acknowledgement digit.
                    if (++naks > kMaxNaksPerBlock) {
                        givenUp = true;
                        break;
                    }
                    buffer[0] = line::NAK;
                    Answer(driver, point, buffer, 1);
                    continue;
                }
                naks = 0;
                if (++blocks > kMaxBlocksPerReply) {
                    givenUp = true;
                    break;
                }
                const uint8_t data = static_cast<uint8_t>(count - 3);
                const uint8_t kept = std::min<uint8_t>(data, static_cast<uint8_t>(capacity - total));
                std::memcpy(reply + total, buffer + 1, kept);
                total = static_cast<uint8_t>(total + kept);

                const uint8_t first = buffer[1];
                buffer[0] = line::DLE;
                buffer[1] = digit;
                digit = line::OtherDigit(digit);
                Answer(driver, point, buffer, 2);

                if (buffer[3] == '?') {
                    ConfirmReset(driver, point, first, buffer[2]);
                    buffer[3] = 0;
                }
                if (total == kShortAnswerLength && buffer[3] == '8') {
                    total = 0;
                    WriteLog(kLevelTrace, PointText(kWait, point));
                }
                if (total == kShortAnswerLength && buffer[3] == '9') {
                    total = 0;
                    const int channel = buffer[2] - '0';
                    if (channel == 0 || channel == 1) {
                        fillingPoint.ReqChar[channel] = static_cast<char>(fillingPoint.ReqChar[channel] ^ 1);
                    }
                    WriteLog(kLevelTrace, PointText(kInvert, point));
                }
            }
        }
        if (givenUp) break;
        if (cycles > kMaxPollCycles) RaiseNotReceiving();
        if (eotCount > 2 || total != 0) break;
    }
    if (givenUp) {
        // The reply could not be taken whole: report the exchange as failed rather than hand on a fragment.
        fillingPoint.LineResult = 2;
        total = 0;
    }
    WriteLog(kLevelTrace, PointText(kEnd, point));
    return total;
}

}  // namespace sb
