// What happens at the forecourt, typed as text lines on sbsim's standard input: "[TARGET] COMMAND [ARGUMENT]",
// the target a point's address or a line's name (every point on it), left out when sbsim serves one point.
//   3 lift 2          the customer lifts nozzle 2 of point 3 (then hang, off, on, reset, master, init)
//   A nak 3           the next 3 data blocks on line A are answered NAK
//   5 silence on      point 5 falls silent until "5 silence off"
//   quit
#ifndef SBSIM_PROGRAM_FORECOURTCOMMANDS_H
#define SBSIM_PROGRAM_FORECOURTCOMMANDS_H

#include <memory>
#include <string>
#include <vector>

#include "sim/program/CustomerCommands.h"
#include "sim/program/ServedPoint.h"

namespace sbsim {

extern const char kForecourtCommandHelp[];

// Carries out one line; blank lines do nothing. kRefused with the reason in *error for anything else.
CommandOutcome ApplyForecourtCommand(const std::string& line, const std::vector<std::unique_ptr<ServedPoint>>& points,
                                     std::string* error);

}  // namespace sbsim

#endif
