#include "link/SendMessage.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "link/BlockCheck.h"
#include "link/LineBytes.h"
#include "link/LinkFailures.h"
#include "link/PortExchange.h"
#include "link/ReceiveReply.h"
#include "link/SelectPoint.h"
#include "logging/PointTrace.h"

namespace sb {
namespace {

constexpr uint8_t kStampThreshold = 8;  // longer messages carry the channel's sequence and request bytes

// Builds the block that starts at message byte `sent` and returns its length on the line.
uint8_t BuildBlock(FillingPoint& fillingPoint, const DispenserMessage& message, uint8_t sent, uint8_t* block) {
    const uint8_t n = std::min<uint8_t>(static_cast<uint8_t>(message.length - sent), kMaxBlockData);
    block[0] = line::STX;
    std::memcpy(block + 1, message.bytes.data() + sent, n);
    if (sent == 0 && message.length > kStampThreshold) {
        const int channel = message.bytes[1] == '1' ? 1 : 0;
        block[3] = static_cast<uint8_t>(fillingPoint.SeqChar[channel]);
        fillingPoint.SeqChar[channel] = static_cast<char>(fillingPoint.SeqChar[channel] ^ 1);
        block[4] = static_cast<uint8_t>(fillingPoint.ReqChar[channel]);
    }
    block[n + 1] = sent + n < message.length ? line::ETB : line::ETX;
    block[n + 2] = BlockCheck(block + 1, n + 1u);
    return static_cast<uint8_t>(n + 3);
}

enum class Attempt { Delivered, Failed, PortBroken };

// Sends all blocks of the message; the port's failing result lands in portResult.
Attempt SendBlocks(TVM30& driver, uint8_t point, DispenserMessage& message, uint8_t* block, int32_t& portResult) {
    FillingPoint& fillingPoint = driver.Point(point);
    uint8_t sent = 0;
    int errors = 0;
    int portFailures = 0;
    while (sent < message.length) {
        const uint8_t blockLength = BuildBlock(fillingPoint, message, sent, block);
        message.replyLength = 2;
        const int32_t result = PortExchange(driver, point, block, blockLength, line::kBlockReplySize);
        if (result != 0) {
            if (++portFailures >= kMaxPortFailuresInRow) {
                portResult = result;
                return Attempt::PortBroken;
            }
            continue;
        }
        portFailures = 0;
        if (line::IsAcknowledgement(block)) {
            sent = static_cast<uint8_t>(sent + blockLength - 3);
        } else if (++errors > kMaxUnacknowledged) {
            fillingPoint.LineResult = 2;
            TracePoint("ERROR(", point);
            return Attempt::Failed;
        }
    }
    return Attempt::Delivered;
}

}  // namespace

int32_t SendMessage(TVM30& driver, uint8_t point, DispenserMessage& message) {
    FillingPoint& fillingPoint = driver.Point(point);
    platform::LockGuard hold(fillingPoint.PointLock);
    uint8_t block[255] = {};
    for (int attempt = 0; attempt < kSendAttempts; ++attempt) {
        if (!SelectPoint(driver, point) && !SelectPoint(driver, point)) {
            fillingPoint.LineResult = 2;
            continue;
        }
        int32_t portResult = 0;
        const Attempt outcome = SendBlocks(driver, point, message, block, portResult);
        if (outcome == Attempt::PortBroken) return portResult;
        if (outcome == Attempt::Failed) continue;

        block[0] = line::EOT;
        if (PortExchange(driver, point, block, 1, line::kNoReply) != 0) RaiseResetFailed();
        const uint8_t replyLength = ReceiveReply(driver, point, block, DispenserMessage::kCapacity);
        std::memcpy(message.bytes.data(), block, replyLength);
        message.replyLength = replyLength;
        return 0;
    }
    return 0;
}

}  // namespace sb
