// One filling point driven through the loaded driver, each step told on an output stream.
#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <utility>

#include "sbdriver/sbdriver.h"

namespace sbhost {

// Status polls a wait may take: a delivery of the simulator and a customer at the real dispenser are done
// long before (a poll over a line takes at least 100 ms).
constexpr int kMaxPolls = 400;

// "D2": a state code as two upper-case hex digits.
std::string Hex(uint32_t code);

bool IsNozzleUp(uint32_t code);          // 0xE0..0xE6
bool IsDeliveryStopped(uint32_t code);   // 0xD0..0xD6: finished, or ended with the nozzle hung up

struct Figures {
    double volume = 0;  // litres
    double amount = 0;  // money units
};

class PointSession {
public:
    PointSession(SbDriver* driver, uint32_t point, std::ostream& out);

    // Prints the driver's description and opens the point's line; true when the port answered 0.
    bool OpenLine();
    uint32_t Poll();
    // Polls until done(code) or kMaxPolls polls; returns the last code.
    uint32_t PollUntil(const std::function<bool(uint32_t)>& done);
    // Polls status and the running figures until the delivery stops, printing each step.
    uint32_t Watch();
    Figures Current();
    Figures Final();
    Figures Totals(int32_t grade);

    SbDriver* driver() const { return driver_; }
    const SbDriverVtbl& slots() const { return vm_; }
    uint32_t point() const { return point_; }
    std::ostream& out() const { return out_; }

private:
    SbDriver* driver_;
    const SbDriverVtbl& vm_;
    uint32_t point_;
    std::ostream& out_;
};

}  // namespace sbhost
