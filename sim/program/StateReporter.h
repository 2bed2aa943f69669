// Tells what the simulated filling point did: each change of its state, and the figures of a delivery
// when it stops, with the totals of its grade.
#ifndef SBSIM_PROGRAM_STATEREPORTER_H
#define SBSIM_PROGRAM_STATEREPORTER_H

#include <ostream>
#include <string>
#include <utility>

#include "sim/FillingPoint.h"

namespace sbsim {

// Lines written, each after the point's prefix (figures in litres and money units, the simulator's scales
// being 100):
//   point 3 state Delivering status 2 digit 2
//   point 3 sale grade 2 nozzle 2 volume 5.00 price 45.90 amount 229.50
//   point 3 totals grade 2 volume 12350.67 amount 566895.75
class StateReporter {
public:
    StateReporter(std::ostream& out, std::string prefix) : out_(out), prefix_(std::move(prefix)) {}

    // Writes what changed since the previous look; the first look writes the state.
    void Look(const FillingPoint& point);

private:
    std::ostream& out_;
    std::string prefix_;
    bool looked_ = false;
    PointState state_ = PointState::Idle;
    char status_ = 0;
    int digit_ = 0;
};

}  // namespace sbsim

#endif
