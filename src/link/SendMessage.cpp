#include "link/SendMessage.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "link/BlockCheck.h"
#include "link/LineBytes.h"
#include "link/PortExchange.h"
#include "state/PointTrace.h"

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
    return static_cast<uint8_t>(n + kBlockFraming);
}

// Sends all blocks of the message: Answered when the dispenser acknowledged them all, NakLimit, or (the port
// failing on a block) DataPortFailure or ExchangeLimit with the port's failing result in portResult.
LinkOutcome SendBlocks(LinkContext& link, DispenserMessage& message, uint8_t* block, int32_t& portResult) {
    uint8_t sent = 0;
    int errors = 0;
    int portFailures = 0;
    while (sent < message.length) {
        const uint8_t blockLength = BuildBlock(link, message, sent, block);
        message.replyLength = DispenserMessage::kSendingReplyLength;
        const ExchangeOutcome outcome = PortExchange(link, block, blockLength, line::kBlockReplySize);
        if (outcome.Failed()) {
            if (++portFailures >= kMaxPortFailuresInRow) {
                portResult = outcome.portResult;
                return outcome.outcome == LinkOutcome::ExchangeLimit ? outcome.outcome : LinkOutcome::DataPortFailure;
            }
            continue;
        }
        portFailures = 0;
        if (line::IsAcknowledgement(block)) {
            sent = static_cast<uint8_t>(sent + blockLength - kBlockFraming);
        } else if (++errors > kMaxUnacknowledged) {
            TracePoint("ERROR(", link.Point());
            return Conclude(link, LinkOutcome::NakLimit);
        }
        if (!line::IsAcknowledgement(block)) ++link.Stats.Resends;
    }
    return LinkOutcome::Answered;
}

}  // namespace

MessageSending::MessageSending(LinkContext& link, DispenserMessage& message)
    : link_(link), message_(message), hold_(link.PointLock) {
    message.delivered = false;
}

std::optional<ResetRequest> MessageSending::Run() {
    // Bounded by kSendAttempts of at most two selects and the blocks of one message each, and one reception.
    while (phase_ != Phase::Done) {
        switch (phase_) {
            case Phase::Select: {
                if (!selection_) selection_.emplace(link_);
                if (const std::optional<ResetRequest> reset = selection_->Run()) return reset;
                const bool ready = selection_->Ready();
                selection_.reset();
                if (ready) {
                    phase_ = Phase::Blocks;
                } else if (++selects_ == 2) {
                    result_.outcome = Conclude(link_, LinkOutcome::NotSelected);
                    NextAttempt();
                }
                break;
            }
            case Phase::Blocks: {
                result_.outcome = SendBlocks(link_, message_, block_, result_.portResult);
                if (result_.PortStopped()) {
                    phase_ = Phase::Done;
                    break;
                }
                if (result_.outcome != LinkOutcome::Answered) {
                    NextAttempt();
                    break;
                }
                message_.delivered = true;
                block_[0] = line::EOT;
                const ExchangeOutcome end = PortExchange(link_, block_, 1, line::kNoReply);
                if (end.Failed()) RaiseLinkFailure(LinkOutcome::PortFailure, end.outcome);
                reception_.emplace(link_, block_, DispenserMessage::kCapacity);
                phase_ = Phase::Reply;
                break;
            }
            case Phase::Reply: {
                if (const std::optional<ResetRequest> reset = reception_->Run()) return reset;
                const Reception reply = reception_->Result();
                std::memcpy(message_.bytes.data(), block_, reply.length);
                message_.replyLength = reply.length;
                result_.outcome = reply.outcome;
                phase_ = Phase::Done;
                break;
            }
            case Phase::Done: break;
        }
    }
    return std::nullopt;
}

void MessageSending::NextAttempt() {
    selects_ = 0;
    phase_ = ++attempt_ < kSendAttempts ? Phase::Select : Phase::Done;
}

}  // namespace sb
