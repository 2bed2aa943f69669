// What happens on each point's line, with every fault named apart, counted, and timed by its latest. The driver
// counts what its link meets (SbGetLinkStatistics): from it the watch takes the exchanges, the data blocks sent
// again, when the latest answer came, and the faults no answer, NAK, bad check, wait, refused and exchange limit,
// each timed when the watch finds it grown. As a port service between the driver and the host's lines it names
// itself what the driver cannot know: line noise, a report that the point is switched off, a device missing, a
// driver failure, the replies that brought delivery data or totals, the polls and selects nobody answered, and
// which fault the latest exchange had.
//
// The driver calls the slots of one point on one thread at a time; the monitor reads a point's record from its
// own thread, so every point's record has a lock of its own.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "decode/Faults.h"
#include "line/PortServiceForwarder.h"
#include "sim/Mutex.h"

namespace sbhost {

// The kinds of fault, from the one table of them.
using sbdecode::Fault;
using sbdecode::FaultKey;
using sbdecode::FaultLabel;
using sbdecode::FaultName;
using sbdecode::kFaultKinds;

struct FaultTally {
    uint64_t count = 0;
    std::chrono::system_clock::time_point last;  // of the latest one, when count > 0
};

struct LineCounts {
    uint64_t exchanges = 0;
    uint64_t retries = 0;          // data blocks the driver sent again, the dispenser not having acknowledged them
    uint64_t silentPolls = 0;      // polls and selects nobody answered
    uint64_t deliveryReplies = 0;  // delivery data replies (or a T10 unit's counts) that came
    uint64_t counterReplies = 0;   // totalizer replies that came
    bool answered = false;         // a readable answer has come (noise and bad checks are not)
    std::chrono::steady_clock::time_point lastAnswer;
    std::array<FaultTally, kFaultKinds> faults{};
    std::optional<Fault> latest;  // the fault of the latest exchange that awaited an answer, if it had one
    bool switchedOff = false;     // the latest status report said switched off
    bool deviceMissing = false;   // the line could not be opened, or its latest exchange failed at the port

    const FaultTally& Of(Fault fault) const { return faults[static_cast<std::size_t>(fault)]; }
    // The most recent fault of any kind, if one came.
    std::optional<Fault> MostRecent() const;
};

// SbGetLinkStatistics of the library loaded.
using LinkStatisticsFn = decltype(&SbGetLinkStatistics);

class PortWatch : public sbline::PortServiceForwarder<PortWatch> {
public:
    explicit PortWatch(SbPortService* lines) : PortServiceForwarder(lines) {}

    // The driver whose statistics the record takes, once it was made with this port service, before its first
    // call. Without one the record has only what the watch names itself.
    void ReadStatisticsFrom(SbDriver* driver, LinkStatisticsFn read) {
        driver_ = driver;
        read_ = read;
    }

    // A copy of the point's record, with the driver's statistics of this moment.
    LineCounts Counts(uint32_t point);
    // Counts a fault the host saw itself (a failure raised, a line that would not open).
    void Note(uint32_t point, Fault fault);
    // The line opened again after it could not be.
    void Opened(uint32_t point);

    // While closed every exchange fails at once, without touching a line: calls still running end within a few
    // exchanges instead of waiting out a silent or babbling dispenser.
    void Close(bool closed) { closed_.store(closed); }

    // The slots the watch sees.
    uint32_t LineStatus(uint32_t point);
    int32_t SendReceive(uint32_t point, uint8_t* send, uint32_t sendCount, uint8_t* receive, uint32_t replySize,
                        uint32_t zero);
    void SetReceiveHandler(uint32_t point, SbReceiveHandler handler);

private:
    struct Point {
        mutable sbsim::Mutex lock;  // counts, between the driver's thread and the monitor's
        LineCounts counts;
        // Written by the driver's thread inside its own exchange only.
        SbReceiveHandler driverHandler{nullptr, nullptr};
        std::array<uint8_t, 255> answer{};
        uint32_t answerCount = 0;
    };

    static uint32_t SB_CALL Received(void* self, uint32_t point, const uint8_t* bytes, uint32_t unused, uint8_t* count,
                                     uint8_t* replySize);
    Point& PointOf(uint32_t point) { return points_[point < points_.size() ? point : 0]; }
    const Point& PointOf(uint32_t point) const { return points_[point < points_.size() ? point : 0]; }
    static void Count(LineCounts& counts, Fault fault);
    // Takes what the driver counted beyond the record: the times are those of now.
    static void Take(LineCounts& counts, const SbLinkStatistics& stats);

    std::array<Point, 33> points_{};  // by point 1..32; 0 takes what names no point
    std::atomic<bool> closed_{false};
    SbDriver* driver_ = nullptr;
    LinkStatisticsFn read_ = nullptr;
};

}  // namespace sbhost
