// The examples' port service: the simulator's, with lines beyond the given count missing as a host's port service
// has no device for them.
#include "sbsimport.h"

#include "sim/SimPortService.h"

namespace {

constexpr int32_t kNoSuchLine = -2;  // the result of an exchange or set-up on a missing line
constexpr int32_t kPortFailed = -1;
constexpr uint32_t kLineNoAnswer = 2;
constexpr int64_t kFlowPerPoll = 20;  // hundredths of a litre a running delivery grows at each poll

struct SimPort {
    SbPortService base;  // first: the driver's pointer to the port service is a pointer to this object
    sbsim::SimPortService lines;
    uint32_t lineCount = 0;
};

SimPort& Of(SbPortService* port) { return *reinterpret_cast<SimPort*>(port); }
bool HasLine(SbPortService* port, uint32_t point) { return point >= 1 && point <= Of(port).lineCount; }
SbPortService* Lines(SbPortService* port) { return Of(port).lines.port(); }

int32_t SB_CALL ErrorResult(SbPortService* port, uint32_t point) {
    return HasLine(port, point) ? Lines(port)->vtbl->ErrorResult(Lines(port), point) : kPortFailed;
}

uint32_t SB_CALL LineStatus(SbPortService* port, uint32_t point) {
    return HasLine(port, point) ? Lines(port)->vtbl->LineStatus(Lines(port), point) : kLineNoAnswer;
}

int32_t SB_CALL SendReceive(SbPortService* port, uint32_t point, uint8_t* send, uint32_t sendCount,
                            uint8_t* receive, uint32_t replySize, uint32_t zero) {
    if (!HasLine(port, point)) return kNoSuchLine;
    return Lines(port)->vtbl->SendReceive(Lines(port), point, send, sendCount, receive, replySize, zero);
}

int32_t SB_CALL Configure(SbPortService* port, uint32_t point, uint32_t ten, uint32_t speedCode) {
    return HasLine(port, point) ? Lines(port)->vtbl->Configure(Lines(port), point, ten, speedCode) : kNoSuchLine;
}

void SB_CALL SetReceiveHandler(SbPortService* port, uint32_t point, SbReceiveHandler handler) {
    if (HasLine(port, point)) Lines(port)->vtbl->SetReceiveHandler(Lines(port), point, handler);
}

void SB_CALL SetLineSetupHandler(SbPortService* port, uint32_t point, SbLineSetupHandler handler) {
    if (HasLine(port, point)) Lines(port)->vtbl->SetLineSetupHandler(Lines(port), point, handler);
}

SbPortServiceVtbl Table() {
    SbPortServiceVtbl table{};
    table.ErrorResult = &ErrorResult;
    table.LineStatus = &LineStatus;
    table.SendReceive = &SendReceive;
    table.Configure = &Configure;
    table.SetReceiveHandler = &SetReceiveHandler;
    table.SetLineSetupHandler = &SetLineSetupHandler;
    return table;
}

const SbPortServiceVtbl kTable = Table();

void OnDispenser(SbPortService* port, uint32_t point, void (*action)(sbsim::FillingPoint&, int), int argument) {
    if (port == nullptr || !HasLine(port, point)) return;
    Of(port).lines.Act(point, [&](sbsim::Dispenser& dispenser) { action(dispenser.point(), argument); });
}

}  // namespace

extern "C" {

SbPortService* SbSimPortCreate(uint32_t lines) {
    try {
        auto* port = new SimPort{{&kTable}, {}, 0};
        sbsim::PointConfig config;
        config.flowPerPoll = kFlowPerPoll;
        for (uint32_t point = 1; point <= lines && point <= 32; ++point) {
            port->lines.Attach(point, config);
            port->lineCount = point;
        }
        return &port->base;
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
