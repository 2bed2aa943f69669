// What the link keeps for one filling point: its lock, the sequence and request characters of both channels,
// the dispenser's latest sequence digit, the line state and the size of the latest reception. The operations
// reach the line only through a point's context.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "common/Relaxed.h"
#include "link/LineState.h"
#include "link/LinkStatistics.h"
#include "link/PortLine.h"
#include "platform/Lock.h"

namespace sb {

// The channel characters '0' and '1' select entry 0 and 1 of the per-channel fields.
constexpr unsigned kChannels = 2;

class Link;

class LinkContext {
public:
    LinkContext() = default;
    LinkContext(const LinkContext&) = delete;
    LinkContext& operator=(const LinkContext&) = delete;

    uint8_t Point() const { return point_; }
    // The port is the whole link's (link/Link.h).
    PortLine& Port() const;

    // Taken for one message and its reply; the operations that must not be interleaved hold it longer.
    platform::RecursiveLock PointLock;
    std::array<Relaxed<char>, kChannels> SeqChar{'0', '0'};
    std::array<Relaxed<char>, kChannels> ReqChar{'0', '0'};
    Relaxed<uint8_t> ReplyToggle = 0;
    Relaxed<LineState> Line = LineState::Good;
    Relaxed<uint8_t> ReceivedCount = 0;  // bytes of the latest reception, whatever exchange brought it
    Relaxed<bool> ReplyRefused = false;  // the latest reply reception took a refusal: the request was not carried out
    // The channels ('0', '1') the latest reply reception's refusals named, and the refusals SelectPoint drained on
    // each: a refusal naming no channel a message goes out on answers a stray block (a data block sent again after
    // its acknowledgement was lost), not a request.
    std::array<Relaxed<bool>, kChannels> ReplyRefusedOn{};
    std::array<Relaxed<uint32_t>, kChannels> DrainedRefusalsOn{};
    // The data of the well-checked single-block replies SelectPoint drained, oldest first, until the operations take
    // them: a status report among them still tells what the dispenser did. Under PointLock; the newest kept only.
    static constexpr size_t kDrainedKept = 16;
    std::vector<std::string> DrainedReplies;
    // Whether the port service reported the reception of the exchange in progress (link/PortExchange.cpp).
    Relaxed<bool> ReceptionReported = false;
    // Set once a good exchange came without that report: the port service's mistake is told once per point.
    std::atomic<bool> UnreportedReceptionTold{false};
    LinkStatistics Stats;  // for the host (SbGetLinkStatistics)

private:
    friend class Link;
    uint8_t point_ = 0;
    Link* link_ = nullptr;
};

}  // namespace sb
