#pragma once

#include <cstdint>
#include <optional>

#include "link/DispenserMessage.h"
#include "link/LinkContext.h"
#include "link/LinkOutcome.h"
#include "link/PortExchange.h"
#include "link/ReceiveReply.h"
#include "link/ResetRequest.h"
#include "link/SelectPoint.h"
#include "platform/Lock.h"

namespace sb {

constexpr uint8_t kMaxBlockData = 21;
constexpr int kSendAttempts = 3;
constexpr int kMaxUnacknowledged = 4;     // the fifth unacknowledged block ends an attempt
constexpr int kMaxPortFailuresInRow = 3;  // a block whose exchange fails this often ends the message

// What sending a message came to: the reply reception's outcome once it was delivered, NotSelected or NakLimit
// when no attempt got it through (line state LinkFailed), DataPortFailure or ExchangeLimit when the port stopped
// it on a data block.
struct SendResult {
    LinkOutcome outcome = LinkOutcome::Answered;
    int32_t portResult = 0;  // the port service's failing result when it stopped the message

    bool PortStopped() const {
        return outcome == LinkOutcome::DataPortFailure || outcome == LinkOutcome::ExchangeLimit;
    }
};

// Delivers message.bytes[0..length) to the point in acknowledged blocks and collects the reply into message
// (replyLength), holding the point's lock for its life.
class MessageSending {
public:
    MessageSending(LinkContext& link, DispenserMessage& message);
    MessageSending(const MessageSending&) = delete;
    MessageSending& operator=(const MessageSending&) = delete;

    // Runs the message on. A reset request the dispenser made while it was selected or answered is returned with
    // the message paused right after it, to go on at the next Run once the caller confirmed it; nothing once the
    // message ended, with Result() then holding what it came to.
    std::optional<ResetRequest> Run();
    SendResult Result() const { return result_; }

private:
    enum class Phase { Select, Blocks, Reply, Done };

    void NextAttempt();

    LinkContext& link_;
    DispenserMessage& message_;
    platform::LockGuard hold_;
    uint8_t block_[kExchangeBufferSize] = {};
    Phase phase_ = Phase::Select;
    int attempt_ = 0;
    int selects_ = 0;  // of the attempt
    std::optional<Selection> selection_;
    std::optional<ReplyReception> reception_;
    SendResult result_;
};

}  // namespace sb
