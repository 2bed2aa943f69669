#include "host/PortWatch.h"

#include "decode/LineFrames.h"
#include "line/SerialPortService.h"
#include "link/LineBytes.h"

namespace sbhost {

int32_t PortWatch::SendReceive(uint32_t point, uint8_t* send, uint32_t sendCount, uint8_t* receive, uint32_t replySize,
                               uint32_t zero) {
    // What was sent, read before the answer overwrites it.
    const sbdecode::FrameKind sent = sbdecode::ReadSent(sbdecode::Bytes(send, send + sendCount)).kind;
    const int32_t result = PortServiceForwarder::SendReceive(point, send, sendCount, receive, replySize, zero);
    LineCounts& counts = counts_[point < counts_.size() ? point : 0];
    ++counts.exchanges;
    if (result != 0 || replySize == 0) return result;
    const bool answered = LineStatus(point) != sbline::kLineNoAnswer;
    if (answered) {
        counts.answered = true;
        counts.lastAnswer = std::chrono::steady_clock::now();
    }
    if (sent == sbdecode::FrameKind::kBlock && !(answered && sb::line::IsAcknowledgement(receive))) {
        ++counts.retries;
        if (answered && receive[0] == sb::line::NAK) ++counts.naks;
    }
    if ((sent == sbdecode::FrameKind::kPoll || sent == sbdecode::FrameKind::kSelect) && !answered) ++counts.silentPolls;
    return result;
}

}  // namespace sbhost
