// What happens at the dispenser, typed as text lines on sbsim's standard input.
#ifndef SBSIM_PROGRAM_CUSTOMERCOMMANDS_H
#define SBSIM_PROGRAM_CUSTOMERCOMMANDS_H

#include <string>

#include "sim/FillingPoint.h"

namespace sbsim {

// The commands and their meaning, for the usage text and error messages.
extern const char kCustomerCommandHelp[];

enum class CommandOutcome { kDone, kQuit, kRefused };

// Carries out one line: "lift N", "hang", "off", "on", "reset" (the dispenser asks for a RESET), "master"
// (it asks for a MASTER RESET), "init" (it asks for INITIALISATION) or "quit". Blank lines do nothing.
// kRefused with the reason in *error for anything else.
CommandOutcome ApplyCustomerCommand(const std::string& line, FillingPoint& point, std::string* error);

}  // namespace sbsim

#endif
