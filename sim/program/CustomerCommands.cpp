#include "sim/program/CustomerCommands.h"

#include <sstream>

namespace sbsim {

const char kCustomerCommandHelp[] = "lift N (nozzle 1..6), hang, off, on, reset, master, init, quit";

CommandOutcome ApplyCustomerCommand(const std::string& line, FillingPoint& point, std::string* error) {
    std::istringstream words(line);
    std::string command;
    if (!(words >> command)) return CommandOutcome::kDone;
    int nozzle = 0;
    std::string extra;
    if (command == "lift") {
        if (!(words >> nozzle) || nozzle < 1 || nozzle > kMaxGrade || (words >> extra)) {
            *error = "lift wants a nozzle number 1.." + std::to_string(kMaxGrade);
            return CommandOutcome::kRefused;
        }
    } else if (words >> extra) {
        *error = command + " takes no argument";
        return CommandOutcome::kRefused;
    }
    if (command == "lift") {
        point.LiftNozzle(nozzle);
    } else if (command == "hang") {
        point.HangNozzle();
    } else if (command == "off" || command == "on") {
        point.SwitchAtDispenser(command == "on");
    } else if (command == "reset") {
        point.RequestReset();
    } else if (command == "master") {
        point.RequestMasterReset();
    } else if (command == "init") {
        point.RequestInitialisation();
    } else if (command == "quit") {
        return CommandOutcome::kQuit;
    } else {
        *error = "unknown command \"" + command + "\"; commands: " + kCustomerCommandHelp;
        return CommandOutcome::kRefused;
    }
    return CommandOutcome::kDone;
}

}  // namespace sbsim
