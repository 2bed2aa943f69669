// sbsim's configuration file: the forecourt's lines and points, one section each.
//
//   # comments and blank lines are skipped
//   [line A]             a line; its points share speed, turnaround and faults
//   baud = 9600          2400 or 9600
//   turnaround = 5       milliseconds from the end of a transmission to its answer, 0..1000
//   fault = noise 3      KIND COUNT|on|off, as on standard input; may repeat
//
//   [point 3]            a point at address 1..32, served on a pty of its own (or `device`)
//   line = A             its line (default: the first line; a line "A" is made when none is given)
//   nozzles = 3          nozzles 1..n, n at most 6
//   grades = 2 3 5       the grade each nozzle carries, in order (default: nozzle n carries grade n)
//   prices = 45.90 47.10 52.30   the price of each nozzle's grade, for a START that carries none
//   flow = 20            hundredths of a litre a delivery grows at each poll
//   tank = 4000          hundredths of a litre where a delivery without preset stops
//   link-unit = yes      a T10 counting unit answers on the point's line
//   device = /dev/ttyS1  a serial device instead of a pty
//   fault = silence on
//
// Settings not given keep the values of sbsim's options.
#ifndef SBSIM_PROGRAM_FORECOURTFILE_H
#define SBSIM_PROGRAM_FORECOURTFILE_H

#include <istream>
#include <string>

#include "sim/program/Forecourt.h"

namespace sbsim {

// Longest line of the file; a longer one is an error.
constexpr std::size_t kMaxConfigLine = 400;

// Reads the file's lines and points into *forecourt, new lines and points starting from the given defaults.
// False and "NAME:LINE: why" in *error for anything it cannot take.
bool ReadForecourtFile(std::istream& in, const std::string& name, const LineSetup& lineDefaults,
                       const PointConfig& pointDefaults, Forecourt* forecourt, std::string* error);

}  // namespace sbsim

#endif
