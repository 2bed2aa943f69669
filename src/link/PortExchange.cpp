#include "link/PortExchange.h"

#include <array>
#include <string>

#include "common/Cp1251.h"
#include "link/ExchangeBudget.h"
#include "link/LineBytes.h"
#include "logging/PointTrace.h"
#include "platform/Boundary.h"
#include "platform/Clock.h"

namespace sb {
namespace {

// Process-wide like the port lines themselves; written by the reception handler, read by reply reception.
std::array<uint8_t, kPointCount + 1> lastReceiveCount{};

struct GuardedExchange {
    TVM30* driver;
    uint8_t point;
    uint8_t* buffer;
    uint8_t sendCount;
    uint8_t replySize;
    int32_t result;
};

void TraceSendAndReceive(void* context) {
    auto& exchange = *static_cast<GuardedExchange*>(context);
    LogDump(exchange.buffer, exchange.sendCount, "Send(" + std::to_string(exchange.point) + "): ");
    exchange.result = exchange.driver->Port.SendReceive(exchange.point, exchange.buffer, exchange.sendCount,
                                                       exchange.replySize);
    exchange.driver->Point(exchange.point).LineResult = exchange.driver->Port.LineStatus(exchange.point);
}

}  // namespace

uint8_t LastReceiveCount(uint8_t point) { return IsPoint(point) ? lastReceiveCount[point] : 0; }

int32_t PortExchange(TVM30& driver, uint8_t point, uint8_t* buffer, uint8_t sendCount, uint8_t replySize) {
    const ExchangeGrant grant = TakeExchange();
    if (grant != ExchangeGrant::Granted) {
        // The call has used up its exchanges: it ends as after a failed exchange, without touching the line.
        if (grant == ExchangeGrant::JustSpent) {
            TracePointResult("EXCHANGE LIMIT(", point, std::to_string(kExchangesPerCall));
        }
        driver.Point(point).LineResult = 2;
        return kBudgetSpent;
    }
    platform::Sleep(kExchangePauseMs);
    driver.Port.SetReceiveHandler(point, ReceiveHandlerOf(driver));
    GuardedExchange exchange{&driver, point, buffer, sendCount, replySize, 0};
    // A failure inside the port service is not ours to report: the port tells what the exchange came to.
    if (!platform::CallAbsorbingFailures(&TraceSendAndReceive, &exchange)) {
        return driver.Port.ErrorResult(point);
    }
    return exchange.result;
}

bool PortReceived(TVM30& driver, uint8_t point, const uint8_t* data, uint8_t count, uint8_t replySize) {
    lastReceiveCount[point] = count;
    FillingPoint& fillingPoint = driver.Point(point);
    if (replySize != line::kAckReplySize) {
        if (count > 6 && line::IsAckDigit(data[3])) {
            const int channel = data[2] - '0';
            // A channel character other than "0" or "1" has no entry to learn into.
            if (channel == 0 || channel == 1) fillingPoint.ReqChar[channel] = static_cast<char>(data[3] ^ 1);
            fillingPoint.ReplyToggle = data[3];
        }
        if (count == 7 && data[3] == '9') {
            static const SystemText kRefusal("Отказ(");
            TracePoint(kRefusal, point);
        }
    }
    const bool ok = !(count == 1 && data[0] == line::NAK);
    static const SystemText kReception("Прием(");
    LogDump(data, count, kReception.cp1251 + std::to_string(point) + (ok ? ",OK): " : ",Bad): "));
    return ok;
}

uint32_t SB_CALL PortReceivedHandler(void* self, uint32_t point, const uint8_t* bytes, uint32_t /*unused*/,
                                     uint8_t* count, uint8_t* replySize) {
    // Called from inside the host's port service: nothing of ours may travel into its frames.
    try {
        const uint8_t received = count != nullptr ? *count : 0;
        if (!IsPoint(point) || (bytes == nullptr && received > 0)) return 1;
        return PortReceived(*static_cast<TVM30*>(self), static_cast<uint8_t>(point), bytes, received,
                            replySize != nullptr ? *replySize : 0)
                   ? 1
                   : 0;
    } catch (...) {
        platform::PassThreadEnd();
        return 1;
    }
}

}  // namespace sb
