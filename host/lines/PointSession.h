// One filling point driven through the loaded driver, each step told on the output.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "host/lines/PortWatch.h"
#include "host/program/Output.h"
#include "sbdriver/sbdriver.h"

namespace sbhost {

// Status polls a wait may take: a delivery of the simulator and a customer at the real dispenser are done
// long before (a poll over a line takes at least 100 ms).
constexpr int kMaxPolls = 400;
// Polls in a row without an answer after which a wait gives up: the dispenser is gone, not slow.
constexpr int kMaxSilentPolls = 3;
// Line results (slot 3): the latest exchange was good; it got no answer.
constexpr uint32_t kLineGood = 1;
constexpr uint32_t kNoAnswer = 2;
// A wait tells how it goes at least this often.
constexpr double kProgressSeconds = 5;

// "D2": a state code as two upper-case hex digits.
std::string Hex(uint32_t code);

bool IsNozzleUp(uint32_t code);         // 0xE0..0xE6
bool IsDeliveryStopped(uint32_t code);  // 0xD0..0xD6: finished, or ended with the nozzle hung up
bool IsDelivering(uint32_t code);       // 0xD8..0xDE
bool HasFigures(uint32_t code);         // 0xD0..0xDF: a delivery runs or has stopped

// Figures the driver gave, and whether it could read them: a read whose reply never came gives zeros the
// dispenser never showed.
struct Figures {
    double volume = 0;                // litres
    double amount = 0;                // money units
    uint32_t lineResult = kLineGood;  // slot 3 right after the read
    bool known = true;                // the reply came, or the driver had the figures already
    std::optional<Fault> fault;       // when not known: the latest fault the read met, if it met one
};

// "5.00 l, 229.50 (line result 1)" or "unknown (refused, line result 1)".
std::string FiguresText(const Figures& figures);
// volume and amount (null when unknown, with the fault the read met), and line_result.
JsonObject& AddFigures(JsonObject& json, const Figures& figures);

class PointSession {
public:
    PointSession(SbDriver* driver, uint32_t point, Output& out, PortWatch& watch);

    // Tells the driver's description.
    void TellDriver();
    // Opens the point's line; true when the port answered 0.
    bool OpenLine();
    uint32_t Poll();
    // Polls until done(code), kMaxPolls polls, or kMaxSilentPolls unanswered polls in a row; the last code.
    // Tells what it waits for every kProgressSeconds.
    uint32_t PollUntil(const std::function<bool(uint32_t)>& done, const std::string& waitingFor);
    // Polls status, and the running figures while a delivery runs, until the sale ends: a finished code, or an
    // answered code other than delivering after delivering (the dispenser's finished report may be taken inside a
    // data read, and then delivering goes straight to idle). Tells each step with its time; true when it ended.
    bool Watch();
    Figures Current();
    Figures Final();
    Figures Totals(int32_t grade);

    // The line result of the point's latest exchange (slot 3).
    uint32_t LineResult();
    // The point did not answer its latest exchange.
    bool Silent() { return LineResult() == kNoAnswer; }
    // Tells that the point did not answer, and what came instead when something did.
    void TellSilence();
    // Tells a polled state code with its meaning, or that the poll got no answer with the code beside it; the
    // figures when given; the time first when stamped.
    void TellState(uint32_t code, uint32_t lineResult, const Figures* figures = nullptr, bool stamped = false);

    SbDriver* driver() const { return driver_; }
    const SbDriverVtbl& slots() const { return vm_; }
    uint32_t point() const { return point_; }
    Output& out() const { return out_; }
    PortWatch& watch() const { return watch_; }

private:
    // Runs a slot that reads figures; they are known when its reply came (or it needed none) and the line is good.
    Figures Read(const std::function<void(Figures&)>& read, bool counters);

    SbDriver* driver_;
    const SbDriverVtbl& vm_;
    uint32_t point_;
    Output& out_;
    PortWatch& watch_;
};

}  // namespace sbhost
