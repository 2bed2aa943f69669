// The commands sbhost runs on a filling point over real lines, in the order given on its command line.
#pragma once

#include <string>
#include <vector>

#include "host/Monitor.h"
#include "host/PointSession.h"

namespace sbhost {

// For the usage text.
extern const char kLineCommandHelp[];

// Exit code of a command whose point did not answer.
constexpr int kExitNoAnswer = 3;

struct LineCommand {
    std::string name;
    std::vector<double> arguments;
};

// Reads the words after the options as commands with their arguments. False and the reason in *error for
// an unknown command, a missing argument or an argument out of range (grades 1..6, figures not negative).
bool ParseLineCommands(const std::vector<std::string>& words, std::vector<LineCommand>* commands,
                       std::string* error);

// Runs the commands in order on the session's point, whose line is open; returns the exit code: 1 when a
// delivery did not end or its figures disagree with the totals, kExitNoAnswer when the point did not answer
// (the commands after it are not run). The monitor covers every point of `lines`.
int RunLineCommands(PointSession& session, const MonitorLines& lines, const std::vector<LineCommand>& commands);

}  // namespace sbhost
