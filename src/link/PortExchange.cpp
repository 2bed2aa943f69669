#include "link/PortExchange.h"

#include <algorithm>
#include <atomic>

#include "common/Cp1251.h"
#include "link/CallContext.h"
#include "link/ExchangeBudget.h"
#include "link/LineBytes.h"
#include "logging/TraceFormat.h"
#include "platform/Boundary.h"
#include "platform/Clock.h"
#include "state/PointTrace.h"
#include "state/PositionTable.h"

namespace sb {
namespace {

constexpr platform::Microseconds kExchangePause = platform::Microseconds{kExchangePauseMs} * 1000;

// When each host line went quiet: the end of its latest exchange, whichever driver object made it (line n is
// one wire for the whole process).
class QuietLines {
public:
    QuietLines() {
        for (auto& since : since_) since.store(platform::kNever, std::memory_order_relaxed);
    }
    platform::Microseconds Since(uint8_t point) const { return since_[point].load(std::memory_order_relaxed); }
    void Mark(uint8_t point, platform::Microseconds at) { since_[point].store(at, std::memory_order_relaxed); }

private:
    std::atomic<platform::Microseconds> since_[kPointCount + 1];
};

QuietLines& Quiet() {
    static QuietLines lines;
    return lines;
}

// The pause before an exchange ends kExchangePauseMs after the latest of: the end of the point's latest exchange,
// the end of this thread's latest exchange, and the end of this thread's latest wait. So every gap on the point's
// line and between this thread's exchanges is at least the pause, an explicit wait before an exchange is still
// followed by the whole pause, and the driver's own work since then (and a relative sleep's overshoot) is not
// added to it. It never ends later than a whole pause from now, which is what a line never used costs (a time
// installed by another clock may also lie ahead).
void PauseBeforeExchange(uint8_t point) {
    const platform::Microseconds now = platform::Monotonic();
    const platform::Microseconds quiet =
        std::max({Quiet().Since(point), ThisCall().quietSince, platform::LastSleepEnd()});
    const platform::Microseconds deadline =
        quiet == platform::kNever ? now + kExchangePause : std::min(quiet + kExchangePause, now + kExchangePause);
    if (deadline > now) platform::SleepUntil(deadline);
}

void MarkQuiet(uint8_t point) {
    CallContext& call = ThisCall();
    call.quietSince = platform::Monotonic();
    Quiet().Mark(point, call.quietSince);
}

struct GuardedExchange {
    LinkContext* link;
    uint8_t* buffer;
    uint8_t sendCount;
    uint8_t replySize;
    int32_t result;
};

void TraceSendAndReceive(void* context) {
    auto& exchange = *static_cast<GuardedExchange*>(context);
    LinkContext& link = *exchange.link;
    LogDump(exchange.buffer, exchange.sendCount, {trace::kSentOpen, DecimalText(link.Point()), trace::kSentClose});
    exchange.result = link.Port().SendReceive(link.Point(), exchange.buffer, exchange.sendCount, exchange.replySize);
    link.Line = static_cast<LineState>(link.Port().LineStatus(link.Point()));
}

// A port service that returns a good exchange which awaited an answer without calling the reception handler
// leaves the driver blind: it sees no reply, answers every block with NAK and reports line result 2 while the
// dispenser carries its requests out. The host's developer must learn that from the log at once.
void TellUnreportedReception(LinkContext& link) {
    if (link.UnreportedReceptionTold.exchange(true)) return;
    static const SystemText kMistake("Порт-сервис не вызвал обработчик приема (точка ");
    static const SystemText kConsequence("): ответы ТРК не доходят до драйвера");
    ProcessLog().WriteParts(kLevelCritical, {kMistake.cp1251, DecimalText(link.Point()), kConsequence.cp1251});
}

}  // namespace

ExchangeOutcome PortExchange(LinkContext& link, uint8_t* buffer, uint8_t sendCount, uint8_t replySize) {
    const ExchangeGrant grant = TakeExchange();
    if (grant != ExchangeGrant::Granted) {
        // The call has used up its exchanges: it ends as after a failed exchange, without touching the line.
        if (grant == ExchangeGrant::JustSpent) {
            TracePointResult("EXCHANGE LIMIT(", link.Point(), DecimalText(kExchangesPerCall));
            ++link.Stats.ExchangeLimits;
        }
        return ExchangeOutcome{Conclude(link, LinkOutcome::ExchangeLimit), kBudgetSpent, link.ReceivedCount};
    }
    PauseBeforeExchange(link.Point());
    link.Port().InstallReceiveHandler(link.Point());
    GuardedExchange exchange{&link, buffer, sendCount, replySize, 0};
    link.ReceptionReported = false;
    ++link.Stats.Exchanges;
    // A failure inside the port service is not ours to report: the port tells what the exchange came to.
    const bool completed = platform::CallAbsorbingFailures(&TraceSendAndReceive, &exchange);
    MarkQuiet(link.Point());
    if (!completed) exchange.result = link.Port().ErrorResult(link.Point());
    if (completed && exchange.result == 0 && replySize != 0)
        link.Stats.Awaited(replySize, link.Line == LineState::Good, buffer, link.ReceivedCount);
    if (completed && exchange.result == 0 && replySize != 0 && link.Line == LineState::Good && !link.ReceptionReported)
        TellUnreportedReception(link);
    // A port service that raised did not exchange, whatever slot 1 answers for it: were its 0 taken as success,
    // the request's own bytes left in the buffer would be read as the dispenser's answer.
    const LinkOutcome outcome = completed && exchange.result == 0 ? LinkOutcome::Answered : LinkOutcome::PortFailure;
    return ExchangeOutcome{outcome, exchange.result, link.ReceivedCount};
}

bool PortReceived(LinkContext& link, const uint8_t* data, uint8_t count, uint8_t replySize) {
    link.ReceptionReported = true;
    link.ReceivedCount = count;
    if (replySize == line::kPollReplySize || replySize == line::kAckReplySize) link.Stats.Answered(data, count);
    if (replySize != line::kAckReplySize) {
        if (count >= kShortBlockLength && line::IsAckDigit(data[3])) {
            const int channel = data[2] - '0';
            // A channel character other than "0" or "1" has no entry to learn into.
            if (channel == 0 || channel == 1) link.ReqChar[channel] = static_cast<char>(data[3] ^ 1);
            link.ReplyToggle = data[3];
        }
        if (count == kShortBlockLength && data[3] == '9') TracePoint(trace::RefusalOpen(), link.Point());
    }
    const bool ok = !(count == 1 && data[0] == line::NAK);
    if (!ok) ++link.Stats.NaksReceived;
    LogDump(data, count,
            {trace::ReceivedOpen(), DecimalText(link.Point()), ok ? trace::kReceivedGood : trace::kReceivedBad});
    return ok;
}

}  // namespace sb
