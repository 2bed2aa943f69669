#pragma once

#include <cstdint>
#include <optional>

#include "link/LinkContext.h"
#include "link/LinkOutcome.h"
#include "link/PortExchange.h"
#include "link/ResetRequest.h"

namespace sb {

// What a reply reception came to: Answered (length 0 when the dispenser had nothing to say), or BadCheck or
// ReplyTooLong when the reply was given up (length 0, line state LinkFailed).
struct Reception {
    LinkOutcome outcome = LinkOutcome::Answered;
    uint8_t length = 0;
};

// Collects the dispenser's reply: polls, checks and acknowledges each data block and concatenates the data into
// reply (never more than capacity bytes). Wait answers and refusals are discarded and polling goes on (a refusal
// is noted in the context's ReplyRefused).
class ReplyReception {
public:
    ReplyReception(LinkContext& link, uint8_t* reply, uint8_t capacity);
    ReplyReception(const ReplyReception&) = delete;
    ReplyReception& operator=(const ReplyReception&) = delete;

    // Runs the reception on. A reset request the dispenser made is returned with the reception paused right after
    // the block that carried it, to go on at the next Run once the caller confirmed it; nothing once the reception
    // ended, with Result() then holding what it came to.
    std::optional<ResetRequest> Run();
    Reception Result() const { return result_; }

private:
    bool Poll();
    std::optional<ResetRequest> TakeBlocks();
    void Keep(const uint8_t* data, uint8_t count);
    void TakeShortAnswer();
    void Exchange(uint8_t sendCount, uint8_t replySize);
    void EndCycle();
    void End(LinkOutcome outcome, uint8_t length);

    LinkContext& link_;
    uint8_t* reply_;
    uint8_t capacity_;
    uint8_t buffer_[kExchangeBufferSize] = {};
    uint8_t digit_ = '0';
    uint8_t answerReplySize_ = 0;  // of the exchange whose answer is in buffer_
    uint8_t total_ = 0;
    uint8_t received_ = 0;      // bytes of the answer in buffer_
    uint8_t takenChannel_ = 0;  // the second and third characters of the block taken last: a short answer's
    uint8_t takenKind_ = 0;     // channel and kind ("8" wait, "9" refusal)
    int cycles_ = 0;
    int eotCount_ = 0;
    int blocks_ = 0;  // of the answer being taken
    int naks_ = 0;    // for its latest block
    bool inAnswer_ = false;
    bool pausedAtReset_ = false;
    bool ended_ = false;
    Reception result_;
};

}  // namespace sb
