#include "sim/program/ForecourtCommands.h"

#include <cctype>
#include <sstream>

namespace sbsim {
namespace {

const char* const kFaultWords[] = {"silence", "nak", "wait", "refuse", "corrupt", "noise"};

bool IsFault(const std::string& word) {
    for (const char* fault : kFaultWords) {
        if (word == fault) return true;
    }
    return false;
}

// The points the first word names (a point's address or a line's name); none when it names nothing.
std::vector<ServedPoint*> Targets(const std::string& word, const std::vector<std::unique_ptr<ServedPoint>>& points) {
    std::vector<ServedPoint*> targets;
    const bool address = std::isdigit(static_cast<unsigned char>(word[0])) != 0;
    for (const auto& point : points) {
        if (address ? std::to_string(point->address) == word : point->lineName == word) targets.push_back(point.get());
    }
    return targets;
}

// "power" or "power kept": the display keeps its figures; "power reset": it shows zeros. False for other words.
bool ReadPowerCycle(const std::vector<std::string>& words, std::size_t at, DisplayAfterPower* display,
                    std::string* error) {
    if (words.size() > at + 2 || (words.size() == at + 2 && words[at + 1] != "kept" && words[at + 1] != "reset")) {
        *error = "power takes kept (the display keeps its figures, the default) or reset (it shows zeros)";
        return false;
    }
    *display = words.size() == at + 2 && words[at + 1] == "reset" ? DisplayAfterPower::Reset : DisplayAfterPower::Kept;
    return true;
}

}  // namespace

const char kForecourtCommandHelp[] =
    "[POINT|LINE] lift N (nozzle 1..6) | hang | off | on | reset | master | init\n"
    "[POINT|LINE] power [kept|reset]\n"
    "[POINT|LINE] silence|nak|wait|refuse|corrupt|noise COUNT|on|off\n"
    "quit";

CommandOutcome ApplyForecourtCommand(const std::string& line, const std::vector<std::unique_ptr<ServedPoint>>& points,
                                     std::string* error) {
    std::istringstream stream(line);
    std::vector<std::string> words;
    for (std::string word; stream >> word;) words.push_back(word);
    if (words.empty()) return CommandOutcome::kDone;
    if (words.size() == 1 && words[0] == "quit") return CommandOutcome::kQuit;
    std::vector<ServedPoint*> targets = Targets(words[0], points);
    std::size_t at = 1;
    if (targets.empty()) {
        if (points.size() != 1) {
            *error = "\"" + words[0] + "\" is neither a point nor a line here; commands:\n" + kForecourtCommandHelp;
            return CommandOutcome::kRefused;
        }
        targets.push_back(points.front().get());
        at = 0;
    }
    if (at < words.size() && IsFault(words[at])) {
        FaultOrder order;
        if (!ReadFaultOrder(words[0], words, at, &order, error)) return CommandOutcome::kRefused;
        for (ServedPoint* point : targets) point->Apply(order);
        return CommandOutcome::kDone;
    }
    if (at < words.size() && words[at] == "power") {
        DisplayAfterPower display = DisplayAfterPower::Kept;
        if (!ReadPowerCycle(words, at, &display, error)) return CommandOutcome::kRefused;
        for (ServedPoint* point : targets) {
            point->dispenser.PowerCycle(display);
            point->reporter.Look(point->dispenser.point());
        }
        return CommandOutcome::kDone;
    }
    std::string customer;
    for (std::size_t i = at; i < words.size(); ++i) customer += words[i] + " ";
    for (ServedPoint* point : targets) {
        const CommandOutcome outcome = ApplyCustomerCommand(customer, point->dispenser.point(), error);
        if (outcome == CommandOutcome::kQuit) *error = "quit takes no point or line";
        if (outcome != CommandOutcome::kDone) return CommandOutcome::kRefused;
        point->reporter.Look(point->dispenser.point());
    }
    return CommandOutcome::kDone;
}

}  // namespace sbsim
