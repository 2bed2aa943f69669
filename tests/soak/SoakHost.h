// The soak's host: whole deliveries on one point, with faults drawn at random into the line, each delivery judged
// against the simulated dispenser's totals. A delivery ends accepted (the host took the dispenser's own figures),
// told (a failure was raised or the line result is not 1), apart (other figures after a corruption the block
// check cannot see, in this delivery or in the latest one whose final figures were read, which the lock compares
// with, or a START untold after such a corruption in its delivery: a limit of the line) or wrong: figures the
// dispenser never sold accepted as good, or a START the dispenser did not carry out shown started. Some
// customers walk away without lifting the nozzle, START is often sent into a fault, some hosts read the running
// figures many times and some try the final read again when it could not be read.
// The native suite and the Windows test host both run it, one host thread per point, each telling failures and
// timing calls its own way.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "sbdriver/sbdriver.h"
#include "sim/SimPortService.h"
#include "soak/SoakTrace.h"

namespace soak {

constexpr uint32_t kPoints = 32;

enum Fault { kSilence, kNaks, kWaits, kRefusal, kBabble, kCorruption, kPortFailure, kUnseenCorruption, kFaults };
enum Outcome { kAccepted, kTold, kApart, kLostSale, kPhantomSale, kOtherFigures, kStartUntold, kOutcomes };

struct Counts {
    std::array<unsigned, kOutcomes> outcomes{};
    std::array<unsigned, kFaults> faults{};
    unsigned deliveries = 0;
    unsigned sales = 0;                 // deliveries in which the dispenser sold something
    uint64_t longestCallMs = 0;         // the longest one call of the driver took, by the target's clock
    std::vector<std::string> examples;  // of wrong deliveries, a few per host, each with its point's trace

    unsigned Wrong() const;
    void Add(const Counts& other);
    // "N deliveries (M sold); faults: ...; accepted ..., ...; wrong W; longest call L <callTime>".
    std::string Summary(const char* callTime) const;
};

// The driver under soak and the line beneath it, as the platform's soak reaches them.
struct Target {
    const SbDriverVtbl* slots = nullptr;
    SbDriver* object = nullptr;
    sbsim::SimPortService* lines = nullptr;  // the driver's port service, or the one behind it
    // Runs one slot call; true when the driver failed it (raised, or returned the failure).
    std::function<bool(const std::function<void()>& call)> failed;
    // The port service fails the next n send-and-receive calls, on whichever lines make them.
    std::function<void(unsigned n)> failPort;
    // Milliseconds on this thread's clock, to time each call.
    std::function<uint64_t()> clockMs;
    // Whether a host told that its START failed still reads the running figures while it polls. Under real
    // pauses each such read costs a second of the driver's lock repeats while the nozzle is up unauthorised.
    bool readsAfterToldStart = true;
    // Sends the driver's trace lines written on the calling thread to the trace from now on (nullptr: no longer).
    // Not set where those lines cannot be reached: the trace then holds the host's steps alone.
    std::function<void(StepTrace* trace)> traceDriverLines;
};

// A dispenser on each of the points 1..kPoints.
void AttachDispensers(sbsim::SimPortService& lines);

// One host's deliveries on one point; hosts on different points may run at the same time.
Counts RunHost(const Target& target, uint32_t point, uint32_t seed, unsigned deliveries);

}  // namespace soak
