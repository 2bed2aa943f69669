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
uint8_t BuildBlock(LinkContext& link, const DispenserMessage& message, uint8_t sent, uint8_t* block) {
    const uint8_t n = std::min<uint8_t>(static_cast<uint8_t>(message.length - sent), kMaxBlockData);
    block[0] = line::STX;
    std::memcpy(block + 1, message.bytes.data() + sent, n);
    if (sent == 0 && message.length > kStampThreshold) {
        const int channel = message.bytes[1] == '1' ? 1 : 0;
        block[3] = static_cast<uint8_t>(link.SeqChar[channel]);
        link.SeqChar[channel] = static_cast<char>(link.SeqChar[channel] ^ 1);
        block[4] = static_cast<uint8_t>(link.ReqChar[channel]);
    }
    block[n + 1] = sent + n < message.length ? line::ETB : line::ETX;
    block[n + 2] = BlockCheck(block + 1, n + 1u);
    return static_cast<uint8_t>(n + 3);
}

enum class Attempt { Delivered, Failed, PortBroken };

// Sends all blocks of the message; the port's failing result lands in portResult.
Attempt SendBlocks(LinkContext& link, DispenserMessage& message, uint8_t* block, int32_t& portResult) {
    uint8_t sent = 0;
    int errors = 0;
    int portFailures = 0;
    while (sent < message.length) {
        const uint8_t blockLength = BuildBlock(link, message, sent, block);
        message.replyLength = 2;
        const ExchangeOutcome outcome = PortExchange(link, block, blockLength, line::kBlockReplySize);
        if (outcome.Failed()) {
            if (++portFailures >= kMaxPortFailuresInRow) {
                portResult = outcome.portResult;
                return Attempt::PortBroken;
            }
            continue;
        }
        portFailures = 0;
        if (line::IsAcknowledgement(block)) {
            sent = static_cast<uint8_t>(sent + blockLength - 3);
        } else if (++errors > kMaxUnacknowledged) {
            link.Line = LineState::LinkFailed;
            TracePoint("ERROR(", link.Point());
            return Attempt::Failed;
        }
        if (!line::IsAcknowledgement(block)) ++link.Stats.Resends;
    }
    return Attempt::Delivered;
}

}  // namespace

int32_t SendMessage(LinkContext& link, DispenserMessage& message) {
    platform::LockGuard hold(link.PointLock);
    uint8_t block[255] = {};
    message.delivered = false;
    for (int attempt = 0; attempt < kSendAttempts; ++attempt) {
        if (!SelectPoint(link) && !SelectPoint(link)) {
            link.Line = LineState::LinkFailed;
            continue;
        }
        int32_t portResult = 0;
        const Attempt outcome = SendBlocks(link, message, block, portResult);
        if (outcome == Attempt::PortBroken) return portResult;
        if (outcome == Attempt::Failed) continue;
        message.delivered = true;

        block[0] = line::EOT;
        if (PortExchange(link, block, 1, line::kNoReply).Failed()) RaiseResetFailed();
        const uint8_t replyLength = ReceiveReply(link, block, DispenserMessage::kCapacity);
        std::memcpy(message.bytes.data(), block, replyLength);
        message.replyLength = replyLength;
        return 0;
    }
    return 0;
}

}  // namespace sb
