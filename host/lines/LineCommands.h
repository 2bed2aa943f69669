// The commands sbhost runs on a filling point over real lines, in the order given on its command line, and the
// ones a technician types into the monitor.
#pragma once

#include <string>
#include <vector>

#include "host/lines/PointSession.h"

namespace sbhost {

// For the usage text.
extern const char kLineCommandHelp[];
// The commands the monitor takes typed, each after a point number.
extern const char kTypedCommandHelp[];

// Exit code of a command whose point did not answer.
constexpr int kExitNoAnswer = 3;

struct LineCommand {
    std::string name;
    std::vector<double> arguments;
    std::string events;  // monitor --events FILE
};

// Reads the words after the options as commands with their arguments. False and the reason in *error for
// an unknown command, a missing argument or an argument out of range (grades 1..6, figures not negative).
bool ParseLineCommands(const std::vector<std::string>& words, std::vector<LineCommand>* commands, std::string* error);

// "3 authorise 2 45.90 5": a point and one command the monitor takes typed. False and the reason in *error.
bool ParseTypedCommand(const std::string& line, uint32_t* point, LineCommand* command, std::string* error);

// The command talks to the dispenser: whether its point answered means something after it.
bool ExchangesWithDispenser(const LineCommand& command);

// Runs one command other than monitor on the session's point, whose line is open; returns its exit code (1 when
// a delivery did not end or its figures disagree with the totals).
int RunCommand(PointSession& session, const LineCommand& command);

}  // namespace sbhost
