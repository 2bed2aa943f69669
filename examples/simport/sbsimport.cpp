// The examples' port service: the simulator's, with lines beyond the given count missing as a host's port service
// has no device for them.
#include "sbsimport.h"

#include "line/PortServiceForwarder.h"
#include "sim/SimPortService.h"

namespace {

constexpr int32_t kNoSuchLine = -2;  // the result of an exchange or set-up on a missing line
constexpr int32_t kPortFailed = -1;
constexpr uint32_t kLineNoAnswer = 2;
constexpr uint32_t kMaxLines = 32;
constexpr int64_t kFlowPerPoll = 20;  // hundredths of a litre a running delivery grows at each poll

// The simulator's lines, in a base of their own so that they are built before the port that hands calls on.
struct SimLines {
    sbsim::SimPortService lines;
};

class SimPort final : private SimLines, public sbline::PortServiceForwarder<SimPort> {
public:
    explicit SimPort(uint32_t lineCount) : PortServiceForwarder(lines.port()), lineCount_(lineCount) {
        sbsim::PointConfig config;
        config.flowPerPoll = kFlowPerPoll;
        for (uint32_t point = 1; point <= lineCount_; ++point) lines.Attach(point, config);
    }

    static SimPort& Of(SbPortService* port) { return static_cast<SimPort&>(*port); }
    bool HasLine(uint32_t point) const { return point >= 1 && point <= lineCount_; }
    sbsim::SimPortService& Lines() { return lines; }

    int32_t ErrorResult(uint32_t point) {
        return HasLine(point) ? PortServiceForwarder::ErrorResult(point) : kPortFailed;
    }
    uint32_t LineStatus(uint32_t point) {
        return HasLine(point) ? PortServiceForwarder::LineStatus(point) : kLineNoAnswer;
    }
    int32_t SendReceive(uint32_t point, uint8_t* send, uint32_t sendCount, uint8_t* receive, uint32_t replySize,
                        uint32_t zero) {
        if (!HasLine(point)) return kNoSuchLine;
        return PortServiceForwarder::SendReceive(point, send, sendCount, receive, replySize, zero);
    }
    int32_t Configure(uint32_t point, uint32_t ten, uint32_t speedCode) {
        return HasLine(point) ? PortServiceForwarder::Configure(point, ten, speedCode) : kNoSuchLine;
    }
    void SetReceiveHandler(uint32_t point, SbReceiveHandler handler) {
        if (HasLine(point)) PortServiceForwarder::SetReceiveHandler(point, handler);
    }
    void SetLineSetupHandler(uint32_t point, SbLineSetupHandler handler) {
        if (HasLine(point)) PortServiceForwarder::SetLineSetupHandler(point, handler);
    }

private:
    uint32_t lineCount_;
};

void OnDispenser(SbPortService* port, uint32_t point, void (*action)(sbsim::FillingPoint&, int), int argument) {
    if (port == nullptr || !SimPort::Of(port).HasLine(point)) return;
    SimPort::Of(port).Lines().Act(point, [&](sbsim::Dispenser& dispenser) { action(dispenser.point(), argument); });
}

}  // namespace

extern "C" {

SbPortService* SbSimPortCreate(uint32_t lines) {
    try {
        return (new SimPort(lines < kMaxLines ? lines : kMaxLines))->port();
    } catch (...) {
        return nullptr;
    }
}

void SbSimLiftNozzle(SbPortService* port, uint32_t point, uint32_t nozzle) {
    OnDispenser(port, point, [](sbsim::FillingPoint& dispenser, int n) { dispenser.LiftNozzle(n); },
                static_cast<int>(nozzle & 0xFF));
}

void SbSimHangNozzle(SbPortService* port, uint32_t point) {
    OnDispenser(port, point, [](sbsim::FillingPoint& dispenser, int) { dispenser.HangNozzle(); }, 0);
}

}  // extern "C"
