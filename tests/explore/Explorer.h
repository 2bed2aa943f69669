// Every fault placement, not only random ones: sale scripts run in virtual time on one thread, each in a fresh
// world (a dispenser, a driver object, a host), with one fault of each kind at every exchange of the sale where
// the fault can happen, and with pairs of them; each outcome judged as the soak judges it (soak/SoakJudge.h).
// The same case gives the same outcome on every run, so a case is named by text and run again alone with its
// trace: "fill-up: nak@12 + silence@14" (script, then each fault's kind and the exchange it takes, counted from
// 0 at the sale's first exchange after a fault-free sale before it).
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "sim/Wire.h"
#include "soak/SoakJudge.h"
#include "soak/SoakPlan.h"

namespace explore {

enum FaultKind { kSilence, kNak, kCorruptBlock, kWait, kRefusal, kBabble, kLostAnswer, kPortFailure, kKinds };
extern const char* const kKindNames[kKinds];

struct Script {
    std::string name;
    soak::SalePlan before;  // the fault-free sale that leaves the previous sale on the display
    soak::SalePlan sale;
    soak::HostHabits habits;
    // Without a fault the sale must be accepted, unless the dispenser lost its figures or a restarted driver
    // cannot tell them from a sale handed over before it started: then telling is right too.
    bool toldWithoutFault = false;
};
const std::vector<Script>& Scripts();

struct Placement {
    FaultKind kind = kSilence;
    size_t exchange = 0;
};

struct Case {
    size_t script = 0;
    std::vector<Placement> faults;  // in the order of their exchanges
};
std::string Describe(const Case& run);
// Reads Describe's text; false when it names no script or fault.
bool ParseCase(const std::string& text, Case* run);

// An exchange of the scripted sale as it went.
struct Exchange {
    sbsim::Bytes sent;
    sbsim::Bytes answer;
    bool portFailed = false;
};
// Whether a fault of the kind can take this exchange: a NAK a data block, a refusal a message's last block, a
// wait a poll, a corruption a block the dispenser sent, a lost answer an answer; the others any exchange.
bool Applies(FaultKind kind, const Exchange& exchange);

struct CaseResult {
    soak::Outcome outcome = soak::kAccepted;
    std::vector<Exchange> exchanges;  // of the scripted sale
    std::string example;              // with traced: the sale's trace, after its figures when it ended wrong
};
// Runs one case in a fresh world. traced: keeps the driver's lines and the host's steps for a wrong outcome.
CaseResult RunCase(const Case& run, bool traced);

struct Tally {
    std::array<unsigned, soak::kOutcomes> outcomes{};
    unsigned cases = 0;
    unsigned goodSaleTold = 0;  // a fault-free sale told as unknown where the dispenser had its figures: wrong too
    unsigned Wrong() const;
};

// What a whole exploration does: every exchange (step 1) or a sample (every step-th), single faults and, with
// pairWindow > 0, pairs whose second fault comes within pairWindow exchanges after the first.
struct Bounds {
    size_t step = 1;
    size_t pairWindow = 0;
    std::string scripts;  // names to run, apart by ";" (names hold commas); empty: all
    // Told each script's line as soon as the script is done: a long run is watched as it goes.
    std::function<void(const std::string& line)> progress;
};

struct Exploration {
    std::vector<Tally> perScript;
    std::vector<std::string> firstWrong;  // the first wrong case of each script and outcome, traced
    Tally Total() const;
    std::string Summary() const;  // a line per script: cases and outcomes
};
Exploration Explore(const Bounds& bounds);

}  // namespace explore
