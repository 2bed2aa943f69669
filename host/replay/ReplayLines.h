// The lines of sbhost replay. A tracker follows the recorded call the driver is making and compares every
// exchange with the recording's at the same place; in process the recording itself answers the driver
// (RecordedCallPort), over serial lines to sbsim --replay a watch between the driver and the lines tells the
// tracker what went and came (LineWatch).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "decode/Conversation.h"
#include "host/replay/ReplayDifference.h"
#include "line/PortServiceForwarder.h"
#include "replay/RecordedCalls.h"

namespace sbhost {

class CallTracker {
public:
    // linesAnswer: a line answers the driver (over serial lines); else the recording does, and an exchange off
    // the recording has no answer worth showing.
    explicit CallTracker(bool linesAnswer) : linesAnswer_(linesAnswer) {}

    // The call the driver makes next, and the conversation of its point so far (to decode exchanges with).
    void Begin(const sbreplay::RecordedCall& call, sbdecode::Conversation* conversation);
    // The recorded exchange at this place when the driver sent what the recording has there; null once the
    // replay has left the recording (after a difference, or past its end).
    const sbdecode::Exchange* Expected(uint32_t point, const sbdecode::Bytes& sent) const;
    // An exchange the driver made: compared with the recording's at this place, past which it moves.
    void Took(uint32_t point, const sbdecode::Bytes& sent, const sbdecode::Bytes& answer);
    // The driver's call returned: recorded exchanges it did not make are a difference.
    void End();

    std::optional<Difference>& difference() { return difference_; }
    std::size_t matched() const { return matched_; }
    // Exchanges the driver made past the recording's end (within the calls the end cut).
    std::size_t beyondEnd() const { return beyondEnd_; }

private:
    bool PastTheRecording() const;
    Difference Found(Difference::Kind kind) const;
    int64_t TimeHere() const;

    const bool linesAnswer_;
    const sbreplay::RecordedCall* call_ = nullptr;
    sbdecode::Conversation* conversation_ = nullptr;
    std::size_t next_ = 0;  // the recorded exchange the driver's next one meets
    std::optional<Difference> difference_;
    std::size_t matched_ = 0;
    std::size_t beyondEnd_ = 0;
};

// In process: the recorded call answers the driver; once the replay has left the recording, nothing does.
class RecordedCallPort : public sbline::PortServiceAdapter<RecordedCallPort> {
public:
    explicit RecordedCallPort(CallTracker& tracker) : tracker_(tracker) {}

private:
    friend class sbline::PortServiceAdapter<RecordedCallPort>;

    int32_t ErrorResult(uint32_t point);
    uint32_t LineStatus(uint32_t point);
    int32_t SendReceive(uint32_t point, uint8_t* send, uint32_t sendCount, uint8_t* receive, uint32_t replySize,
                        uint32_t zero);
    int32_t Configure(uint32_t point, uint32_t ten, uint32_t speedCode);
    void SetReceiveHandler(uint32_t point, SbReceiveHandler handler);
    void SetLineSetupHandler(uint32_t point, SbLineSetupHandler handler);

    static std::size_t Index(uint32_t point);

    CallTracker& tracker_;
    std::array<SbReceiveHandler, 33> handlers_{};  // by point 1..32; 0 takes what names no point
    std::array<uint32_t, 33> status_{};
};

// Over serial lines: hands every slot on to the lines, and tells the tracker each exchange with the answer the
// driver's reception handler was given.
class LineWatch : public sbline::PortServiceForwarder<LineWatch> {
public:
    LineWatch(SbPortService* lines, CallTracker& tracker) : PortServiceForwarder(lines), tracker_(tracker) {}

    int32_t SendReceive(uint32_t point, uint8_t* send, uint32_t sendCount, uint8_t* receive, uint32_t replySize,
                        uint32_t zero);
    void SetReceiveHandler(uint32_t point, SbReceiveHandler handler);

private:
    static uint32_t SB_CALL Received(void* self, uint32_t point, const uint8_t* bytes, uint32_t unused, uint8_t* count,
                                     uint8_t* replySize);

    CallTracker& tracker_;
    std::array<SbReceiveHandler, 33> handlers_{};
    sbdecode::Bytes answer_;  // what the handler was given in the exchange under way
};

}  // namespace sbhost
