// One filling point driven through the loaded driver, each step told on the output.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "host/Output.h"
#include "sbdriver/sbdriver.h"

namespace sbhost {

// Status polls a wait may take: a delivery of the simulator and a customer at the real dispenser are done
// long before (a poll over a line takes at least 100 ms).
constexpr int kMaxPolls = 400;
// Polls in a row without an answer after which a wait gives up: the dispenser is gone, not slow.
constexpr int kMaxSilentPolls = 3;
// The line result of an exchange that got no answer (slot 3).
constexpr uint32_t kNoAnswer = 2;

// "D2": a state code as two upper-case hex digits.
std::string Hex(uint32_t code);

bool IsNozzleUp(uint32_t code);          // 0xE0..0xE6
bool IsDeliveryStopped(uint32_t code);   // 0xD0..0xD6: finished, or ended with the nozzle hung up
bool HasFigures(uint32_t code);          // 0xD0..0xDF: a delivery runs or has stopped

struct Figures {
    double volume = 0;  // litres
    double amount = 0;  // money units
};

class PointSession {
public:
    PointSession(SbDriver* driver, uint32_t point, Output& out);

    // Tells the driver's description and opens the point's line; true when the port answered 0.
    bool OpenLine();
    uint32_t Poll();
    // Polls until done(code), kMaxPolls polls, or kMaxSilentPolls unanswered polls in a row; the last code.
    uint32_t PollUntil(const std::function<bool(uint32_t)>& done);
    // Polls status, and the running figures while a delivery runs, until the delivery stops; tells each step.
    uint32_t Watch();
    Figures Current();
    Figures Final();
    Figures Totals(int32_t grade);

    // The line result of the point's latest exchange (slot 3).
    uint32_t LineResult();
    // The point did not answer its latest exchange.
    bool Silent() { return LineResult() == kNoAnswer; }
    // Tells that the point did not answer.
    void TellSilence();
    // Tells a state code with its meaning (and the figures, when given).
    void TellState(uint32_t code, const Figures* figures = nullptr);

    SbDriver* driver() const { return driver_; }
    const SbDriverVtbl& slots() const { return vm_; }
    uint32_t point() const { return point_; }
    Output& out() const { return out_; }

private:
    SbDriver* driver_;
    const SbDriverVtbl& vm_;
    uint32_t point_;
    Output& out_;
};

}  // namespace sbhost
