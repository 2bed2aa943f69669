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
#include "link/LinkSequences.h"
#include "logging/PointTrace.h"

namespace sb {
namespace {

constexpr uint8_t kShortAnswerLength = 4;  // a wait answer or a refusal: four characters

// One reply reception: the poll cycles, the blocks of each answer and the short answers between them.
class ReplyCollector {
public:
    ReplyCollector(LinkContext& link, uint8_t* reply, uint8_t capacity)
        : link_(link), reply_(reply), capacity_(capacity) {}

    uint8_t Collect() {
        int eotCount = 0;
        for (int cycles = 1;; ++cycles) {
            if (Poll()) {
                ++eotCount;
            } else {
                eotCount = 0;
                if (!TakeBlocks()) return GiveUp();
            }
            if (cycles > kMaxPollCycles) RaiseNotReceiving();
            if (eotCount > 2 || total_ != 0) return total_;
        }
    }

private:
    // True when the dispenser had nothing to say.
    bool Poll() {
        PutPollOrSelect(buffer_, '0');
        digit_ = '0';
        Exchange(3, line::kPollReplySize);
        return buffer_[0] == line::EOT;
    }

    // Takes the answer's blocks up to its EOT; false when the answer could not be taken whole.
    bool TakeBlocks() {
        int blocks = 0;
        int naks = 0;
        while (buffer_[0] != line::EOT && link_.Line != LineState::LinkFailed) {
            const uint8_t count = received_;
            if (!IsValidBlock(buffer_, count)) {
                ++link_.Stats.BadChecks;
                // A corrupted block: ask for it again without advancing the acknowledgement digit.
                if (++naks > kMaxNaksPerBlock) return false;
                // Asked with the reply size of the exchange that brought it, so that a poll's answer still
                // teaches the dispenser's sequence digit when it comes again.
                buffer_[0] = line::NAK;
                ++link_.Stats.NaksSent;
                Exchange(1, answerReplySize_);
                continue;
            }
            naks = 0;
            if (++blocks > kMaxBlocksPerReply) return false;
            Keep(buffer_ + 1, static_cast<uint8_t>(count - 3));
            const uint8_t first = buffer_[1];
            received_ = Acknowledge(link_, buffer_, digit_);
            answerReplySize_ = line::kAckReplySize;
            TakeShortAnswer(first);
        }
        return true;
    }

    void Keep(const uint8_t* data, uint8_t count) {
        const uint8_t kept = std::min<uint8_t>(count, static_cast<uint8_t>(capacity_ - total_));
        std::memcpy(reply_ + total_, data, kept);
        total_ = static_cast<uint8_t>(total_ + kept);
    }

    // A reset request is confirmed; a wait answer or a refusal is dropped and polling goes on. After an EOT
    // answer bytes 2 and 3 still hold those of the block just taken.
    void TakeShortAnswer(uint8_t first) {
        if (buffer_[3] == '?') {
            ReportResetRequest(link_, first, buffer_[2]);
            buffer_[3] = 0;
        }
        if (total_ != kShortAnswerLength) return;
        if (buffer_[3] == '8') {
            total_ = 0;
            ++link_.Stats.Waits;
            static const SystemText kWait("Ожидание ответа(");
            TracePoint(kWait, link_.Point());
        } else if (buffer_[3] == '9') {
            total_ = 0;
            ++link_.Stats.Refusals;
            const int channel = buffer_[2] - '0';
            if (channel == 0 || channel == 1) link_.ReqChar[channel] = static_cast<char>(link_.ReqChar[channel] ^ 1);
            link_.ReplyRefused = true;
            static const SystemText kInvert("Инвертация байта запроса(");
            TracePoint(kInvert, link_.Point());
        }
    }

    void Exchange(uint8_t sendCount, uint8_t replySize) {
        const ExchangeOutcome outcome = PortExchange(link_, buffer_, sendCount, replySize);
        if (outcome.Failed()) RaiseResetFailed();
        received_ = outcome.received;
        answerReplySize_ = replySize;
    }

    // Rather than hand on a fragment, the exchange counts as failed.
    uint8_t GiveUp() {
        link_.Line = LineState::LinkFailed;
        return 0;
    }

    LinkContext& link_;
    uint8_t* reply_;
    uint8_t capacity_;
    uint8_t buffer_[256] = {};
    uint8_t digit_ = '0';
    uint8_t answerReplySize_ = line::kPollReplySize;  // of the exchange whose answer is in buffer_
    uint8_t total_ = 0;
    uint8_t received_ = 0;  // bytes of the answer in buffer_
};

}  // namespace

uint8_t ReceiveReply(LinkContext& link, uint8_t* reply, uint8_t capacity) {
    static const SystemText kStart("Прием ответа(");
    static const SystemText kEnd("Конец приема ответа(");
    TracePoint(kStart, link.Point());
    link.ReplyRefused = false;
    const uint8_t total = ReplyCollector(link, reply, capacity).Collect();
    TracePoint(kEnd, link.Point());
    return total;
}

}  // namespace sb
