#include "host/lines/PortWatch.h"

#include <algorithm>
#include <iterator>
#include <mutex>

#include "decode/LineFrames.h"
#include "line/SerialPortService.h"

namespace sbhost {
namespace {

// The faults the driver counts, each with its count in the driver's statistics.
struct CountedByDriver {
    Fault fault;
    uint64_t SbLinkStatistics::*count;
};
const CountedByDriver kCountedByDriver[] = {
    {Fault::kNoAnswer, &SbLinkStatistics::noAnswers}, {Fault::kNak, &SbLinkStatistics::naksReceived},
    {Fault::kBadCheck, &SbLinkStatistics::badChecks}, {Fault::kWait, &SbLinkStatistics::waits},
    {Fault::kRefused, &SbLinkStatistics::refusals},   {Fault::kExchangeLimit, &SbLinkStatistics::exchangeLimits},
};

bool CountedByTheDriver(Fault fault) {
    return std::any_of(std::begin(kCountedByDriver), std::end(kCountedByDriver),
                       [fault](const CountedByDriver& counted) { return counted.fault == fault; });
}

// A status report: 18 characters, the status character 16th.
constexpr std::size_t kStatusReportLength = 18;
constexpr std::size_t kStatusCharAt = 15;
constexpr char kSwitchedOffStatus = '7';

// The reply's kind, the six characters from its 5th: "0000ZD" status, "0002ZD" delivery data, "0003ZD" totals.
bool ReplyKindIs(const std::string& data, const char* kind) {
    constexpr std::size_t kKindAt = 4, kKindLength = 6;
    return data.size() >= kKindAt + kKindLength && data.compare(kKindAt, kKindLength, kind) == 0;
}

// What an answer that came tells beyond its fault.
struct AnswerNews {
    std::optional<bool> off;  // a status report's word on being switched off
    bool deliveryData = false;
    bool counters = false;
};

AnswerNews NewsOf(const sbdecode::Frame& answer) {
    AnswerNews news;
    news.deliveryData = answer.kind == sbdecode::FrameKind::kLinkUnitCount;
    if (answer.kind != sbdecode::FrameKind::kBlock || !answer.checkGood) return news;
    const std::string& data = answer.data;
    if (data.size() == kStatusReportLength && ReplyKindIs(data, "0000ZD"))
        news.off = data[kStatusCharAt] == kSwitchedOffStatus;
    news.deliveryData = ReplyKindIs(data, "0002ZD");
    news.counters = ReplyKindIs(data, "0003ZD");
    return news;
}

}  // namespace

std::optional<Fault> LineCounts::MostRecent() const {
    std::optional<Fault> recent;
    for (std::size_t kind = 0; kind < kFaultKinds; ++kind) {
        if (faults[kind].count > 0 && (!recent || faults[kind].last >= Of(*recent).last))
            recent = static_cast<Fault>(kind);
    }
    return recent;
}

void PortWatch::Count(LineCounts& counts, Fault fault) {
    FaultTally& tally = counts.faults[static_cast<std::size_t>(fault)];
    ++tally.count;
    tally.last = std::chrono::system_clock::now();
}

void PortWatch::Take(LineCounts& counts, const SbLinkStatistics& stats) {
    const auto now = std::chrono::system_clock::now();
    for (const CountedByDriver& counted : kCountedByDriver) {
        FaultTally& tally = counts.faults[static_cast<std::size_t>(counted.fault)];
        // A read older than one taken already (by another thread) changes nothing.
        if (stats.*counted.count <= tally.count) continue;
        tally.count = stats.*counted.count;
        tally.last = now;
    }
    counts.exchanges = std::max(counts.exchanges, stats.exchanges);
    counts.retries = std::max(counts.retries, stats.resends);
    if (stats.answers == 0) return;
    const auto age = std::chrono::microseconds(stats.nowUs - stats.lastAnswerUs);
    const auto lastAnswer = std::chrono::steady_clock::now() - age;
    if (!counts.answered || lastAnswer > counts.lastAnswer) counts.lastAnswer = lastAnswer;
    counts.answered = true;
}

LineCounts PortWatch::Counts(uint32_t point) {
    Point& watched = PointOf(point);
    SbLinkStatistics stats{};
    stats.size = sizeof stats;
    // Read outside the record's lock: the driver's counts are its own, readable while the point's call runs.
    const bool read = read_ != nullptr && read_(driver_, point, &stats) != 0;
    std::lock_guard<sbsim::Mutex> hold(watched.lock);
    if (read) Take(watched.counts, stats);
    return watched.counts;
}

void PortWatch::Note(uint32_t point, Fault fault) {
    Point& watched = PointOf(point);
    std::lock_guard<sbsim::Mutex> hold(watched.lock);
    if (fault == Fault::kDeviceMissing) watched.counts.deviceMissing = true;
    Count(watched.counts, fault);
}

void PortWatch::Opened(uint32_t point) {
    Point& watched = PointOf(point);
    std::lock_guard<sbsim::Mutex> hold(watched.lock);
    watched.counts.deviceMissing = false;
}

uint32_t PortWatch::LineStatus(uint32_t point) {
    return closed_.load() ? sbline::kLineNoAnswer : PortServiceForwarder::LineStatus(point);
}

void PortWatch::SetReceiveHandler(uint32_t point, SbReceiveHandler handler) {
    Point& watched = PointOf(point);
    watched.driverHandler = handler;
    PortServiceForwarder::SetReceiveHandler(point, SbReceiveHandler{&PortWatch::Received, &watched});
}

uint32_t SB_CALL PortWatch::Received(void* self, uint32_t point, const uint8_t* bytes, uint32_t unused, uint8_t* count,
                                     uint8_t* replySize) {
    Point& watched = *static_cast<Point*>(self);
    watched.answerCount =
        std::min<uint32_t>(count != nullptr ? *count : 0, static_cast<uint32_t>(watched.answer.size()));
    if (bytes != nullptr) std::copy(bytes, bytes + watched.answerCount, watched.answer.begin());
    const SbReceiveHandler next = watched.driverHandler;
    return next.code != nullptr ? next.code(next.self, point, bytes, unused, count, replySize) : 1;
}

int32_t PortWatch::SendReceive(uint32_t point, uint8_t* send, uint32_t sendCount, uint8_t* receive, uint32_t replySize,
                               uint32_t zero) {
    if (closed_.load()) return sbline::kPortFailed;
    // What was sent, read before the answer overwrites it.
    const sbdecode::FrameKind sent = sbdecode::ReadSent(sbdecode::Bytes(send, send + sendCount)).kind;
    Point& watched = PointOf(point);
    watched.answerCount = 0;
    const int32_t result = PortServiceForwarder::SendReceive(point, send, sendCount, receive, replySize, zero);
    const bool answered = result == 0 && PortServiceForwarder::LineStatus(point) != sbline::kLineNoAnswer;
    std::optional<Fault> fault;
    AnswerNews news;
    if (result != 0) {
        fault = Fault::kDeviceMissing;
    } else if (replySize != 0 && !answered) {
        fault = Fault::kNoAnswer;
    } else if (replySize != 0) {
        const sbdecode::Bytes bytes(watched.answer.begin(), watched.answer.begin() + watched.answerCount);
        const sbdecode::Frame answer = sbdecode::ReadAnswer(bytes, sent);
        fault = sbdecode::AnswerFault(answer);
        news = NewsOf(answer);
    }

    std::lock_guard<sbsim::Mutex> hold(watched.lock);
    LineCounts& counts = watched.counts;
    counts.deviceMissing = result != 0;
    if (replySize == 0 && result == 0) return result;  // an EOT: nothing awaited
    counts.latest = fault;
    if (fault && !CountedByTheDriver(*fault)) Count(counts, *fault);
    if (news.off && *news.off && !counts.switchedOff) Count(counts, Fault::kSwitchedOff);
    if (news.off) counts.switchedOff = *news.off;
    counts.deliveryReplies += news.deliveryData ? 1 : 0;
    counts.counterReplies += news.counters ? 1 : 0;
    if ((sent == sbdecode::FrameKind::kPoll || sent == sbdecode::FrameKind::kSelect) && !answered) ++counts.silentPolls;
    return result;
}

}  // namespace sbhost
