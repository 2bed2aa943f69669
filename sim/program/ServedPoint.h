// One filling point as sbsim serves it: the dispenser on its own serial channel, the framer that cuts what comes
// in into the driver's transmissions, the pacer that sends its answers at the line's speed, and the faults of
// its line that happen outside the dispenser (noise).
#ifndef SBSIM_PROGRAM_SERVEDPOINT_H
#define SBSIM_PROGRAM_SERVEDPOINT_H

#include <cstdint>
#include <memory>
#include <random>
#include <string>

#include "sim/Dispenser.h"
#include "sim/LineFramer.h"
#include "sim/program/BytePacer.h"
#include "sim/program/Forecourt.h"
#include "sim/program/LineOpening.h"
#include "sim/program/ReplayedDispenser.h"
#include "sim/program/StateReporter.h"

namespace sbsim {

struct ServedPoint {
    ServedPoint(const PointSetup& setup, const LineSetup& line, OpenedLine opened, std::ostream& out)
        : address(setup.address),
          lineName(line.name),
          channel(opened),
          dispenser(setup.config),
          pacer(line.baud, line.turnaroundMs),
          reporter(out, "point " + std::to_string(setup.address) + " "),
          noise(std::mt19937::result_type{setup.address}) {}

    // Switches a fault (Forecourt.h's kinds) on for order.count occurrences, or off with 0.
    void Apply(const FaultOrder& order);
    // The answer as it reaches the host: changed by line noise while noise is on.
    Bytes OnTheLine(Bytes answer);
    // What the point answers the driver's transmission: the simulated dispenser's, or the recorded one's.
    Bytes Respond(const Bytes& transmission) {
        return replay ? replay->Exchange(transmission) : dispenser.Exchange(transmission);
    }

    unsigned address;
    std::string lineName;
    OpenedLine channel;
    Dispenser dispenser;
    std::unique_ptr<ReplayedDispenser> replay;  // sbsim --replay: answers instead of the dispenser
    LineFramer framer;
    BytePacer pacer;
    StateReporter reporter;
    BytePacer::Clock::time_point lastInput{};     // when the latest bytes came in
    BytePacer::Clock::time_point blockedSince{};  // when the line first refused a byte of the current answer
    bool blocked = false;
    unsigned noisyAnswers = 0;
    std::mt19937 noise;
};

}  // namespace sbsim

#endif
