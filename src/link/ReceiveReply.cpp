#include "link/ReceiveReply.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

#include "common/Cp1251.h"
#include "link/BlockCheck.h"
#include "link/LineBytes.h"
#include "link/LinkSequences.h"
#include "link/PollLimits.h"
#include "link/PortExchange.h"
#include "state/PointTrace.h"

namespace sb {
namespace {

constexpr uint8_t kShortAnswerLength = 4;  // a wait answer or a refusal: four characters

}  // namespace

ReplyReception::ReplyReception(LinkContext& link, uint8_t* reply, uint8_t capacity)
    : link_(link), reply_(reply), capacity_(capacity), answerReplySize_(line::kPollReplySize) {
    static const SystemText kStart("Прием ответа(");
    TracePoint(kStart, link.Point());
    link.ReplyRefused = false;
    for (Relaxed<bool>& refused : link.ReplyRefusedOn) refused = false;
}

std::optional<ResetRequest> ReplyReception::Run() {
    if (pausedAtReset_) {
        // The request is being answered by the caller: the answer after it no longer carries it.
        pausedAtReset_ = false;
        buffer_[3] = 0;
        TakeShortAnswer();
    }
    // Poll cycles, each an EOT or an answer of blocks: bounded by kMaxPollCycles, the blocks by TakeBlocks.
    while (!ended_) {
        if (!inAnswer_) {
            ++cycles_;
            if (Poll()) {
                ++eotCount_;
                EndCycle();
                continue;
            }
            eotCount_ = 0;
            inAnswer_ = true;
            blocks_ = 0;
            naks_ = 0;
        }
        if (const std::optional<ResetRequest> reset = TakeBlocks()) return reset;
        inAnswer_ = false;
        if (!ended_) EndCycle();
    }
    return std::nullopt;
}

// True when the dispenser had nothing to say.
bool ReplyReception::Poll() {
    PutPollOrSelect(buffer_, '0');
    digit_ = '0';
    Exchange(3, line::kPollReplySize);
    return buffer_[0] == line::EOT;
}

// Takes the answer's blocks up to its EOT, ending the reception when the answer cannot be taken whole; pauses at a
// reset request.
std::optional<ResetRequest> ReplyReception::TakeBlocks() {
    while (buffer_[0] != line::EOT && link_.Line != LineState::LinkFailed) {
        const uint8_t count = received_;
        if (!IsValidBlock(buffer_, count)) {
            // A corrupted block: ask for it again without advancing the acknowledgement digit.
            if (++naks_ > kMaxNaksPerBlock) {
                End(LinkOutcome::BadCheck, 0);
                return std::nullopt;
            }
            // Asked with the reply size of the exchange that brought it, so that a poll's answer still
            // teaches the dispenser's sequence digit when it comes again.
            buffer_[0] = line::NAK;
            ++link_.Stats.NaksSent;
            Exchange(1, answerReplySize_);
            continue;
        }
        naks_ = 0;
        if (++blocks_ > kMaxBlocksPerReply) {
            End(LinkOutcome::ReplyTooLong, 0);
            return std::nullopt;
        }
        Keep(buffer_ + 1, static_cast<uint8_t>(count - kBlockFraming));
        const uint8_t first = buffer_[1];
        // The acknowledgement's answer overwrites the buffer: a stray block there must not pass for this one.
        takenChannel_ = buffer_[2];
        takenKind_ = buffer_[3];
        received_ = Acknowledge(link_, buffer_, digit_);
        answerReplySize_ = line::kAckReplySize;
        // After an EOT answer bytes 2 and 3 still hold those of the block just taken.
        if (buffer_[3] == '?') {
            pausedAtReset_ = true;
            return ResetRequest{first, buffer_[2]};
        }
        TakeShortAnswer();
    }
    return std::nullopt;
}

void ReplyReception::Keep(const uint8_t* data, uint8_t count) {
    const uint8_t kept = std::min<uint8_t>(count, static_cast<uint8_t>(capacity_ - total_));
    std::memcpy(reply_ + total_, data, kept);
    total_ = static_cast<uint8_t>(total_ + kept);
}

// A wait answer or a refusal, told by the third character of the block just taken, is dropped and polling goes on.
void ReplyReception::TakeShortAnswer() {
    if (total_ != kShortAnswerLength) return;
    if (takenKind_ == '8') {
        total_ = 0;
        static const SystemText kWait("Ожидание ответа(");
        TracePoint(kWait, link_.Point());
    } else if (takenKind_ == '9') {
        total_ = 0;
        const int channel = takenChannel_ - '0';
        if (channel == 0 || channel == 1) {
            link_.ReqChar[channel] = static_cast<char>(link_.ReqChar[channel] ^ 1);
            link_.ReplyRefusedOn[channel] = true;
        }
        link_.ReplyRefused = true;
        static const SystemText kInvert("Инвертация байта запроса(");
        TracePoint(kInvert, link_.Point());
    }
}

void ReplyReception::Exchange(uint8_t sendCount, uint8_t replySize) {
    const ExchangeOutcome outcome = PortExchange(link_, buffer_, sendCount, replySize);
    if (outcome.Failed()) RaiseLinkFailure(LinkOutcome::PortFailure, outcome.outcome);
    received_ = outcome.received;
    answerReplySize_ = replySize;
}

void ReplyReception::EndCycle() {
    if (cycles_ > kMaxPollCycles) RaiseLinkFailure(LinkOutcome::NotReceiving);
    if (eotCount_ > 2 || total_ != 0) End(LinkOutcome::Answered, total_);
}

// A reply given up hands on no fragment: length 0.
void ReplyReception::End(LinkOutcome outcome, uint8_t length) {
    ended_ = true;
    result_ = Reception{Conclude(link_, outcome), length};
    static const SystemText kEnd("Конец приема ответа(");
    TracePoint(kEnd, link_.Point());
}

}  // namespace sb
