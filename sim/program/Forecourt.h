// What sbsim serves: lines, each a group of filling points with one speed, turnaround and faults, and the
// points on them with their addresses, nozzles, grades, prices and flow. A point is served on a serial channel
// of its own (a pty, or a device): the driver's polls and selections carry no point address, so the host tells
// its points apart by their lines (point n on its line n), and so does the simulator.
#ifndef SBSIM_PROGRAM_FORECOURT_H
#define SBSIM_PROGRAM_FORECOURT_H

#include <string>
#include <vector>

#include "sim/FillingPoint.h"

namespace sbsim {

constexpr unsigned kMaxAddress = 32;
constexpr int kMaxTurnaroundMs = 1000;

// A fault to switch on a target: a point address ("3") or a line name ("A"); kind silence, nak, wait, refuse,
// corrupt or noise; a count of occurrences, kForever for "on", 0 for "off".
struct FaultOrder {
    std::string target;
    std::string kind;
    unsigned count = 0;
};

struct PointSetup {
    unsigned address = 1;  // 1..32: the host's line it is meant for
    std::string line;      // the name of its line
    std::string device;    // empty: a new pty
    PointConfig config;
};

struct LineSetup {
    std::string name;
    int baud = 2400;
    int turnaroundMs = 5;  // from the end of a transmission to the first byte of its answer
};

struct Forecourt {
    std::vector<LineSetup> lines;
    std::vector<PointSetup> points;
    std::vector<FaultOrder> faults;

    const LineSetup* Line(const std::string& name) const;
};

// Reads "KIND COUNT|on|off" (words[at], words[at + 1]) for target into *order; false and why in *error.
bool ReadFaultOrder(const std::string& target, const std::vector<std::string>& words, std::size_t at, FaultOrder* order,
                    std::string* error);

// `points` points at addresses 1..points spread in order over `lines` lines named A, B...; every line and
// point like the given ones.
Forecourt EvenForecourt(unsigned points, unsigned lines, const LineSetup& line, const PointConfig& point);

// Checks what no single setting shows: addresses unique, every point's line known, targets of faults known.
bool CheckForecourt(const Forecourt& forecourt, std::string* error);

}  // namespace sbsim

#endif
