#include "host/lines/LineCommands.h"

#include <cmath>
#include <cstdlib>
#include <sstream>

#include "host/lines/DeliveryStory.h"
#include "host/program/Arguments.h"
#include "line/SerialPortService.h"

namespace sbhost {
namespace {

constexpr int32_t kMaxGrade = 6;
constexpr double kMaxRefreshes = 1000000;

struct CommandForm {
    const char* name;
    std::size_t arity;
    bool gradeFirst;  // the first argument is a grade
    bool exchanges;   // talks to the dispenser: its point's silence is told after it
    bool typed;       // may be typed into the monitor: returns within one call's bound
};

const CommandForm kForms[] = {
    {"status", 0, false, true, true},
    {"price", 2, true, false, true},
    {"preset-volume", 1, false, false, true},
    {"preset-amount", 1, false, false, true},
    {"start", 1, true, true, true},
    {"authorise", 3, true, true, true},
    {"stop", 0, false, true, true},
    {"data", 0, false, true, true},
    {"final", 0, false, true, true},
    {"counter", 1, true, true, true},
    {"on", 0, false, true, true},
    {"off", 0, false, true, true},
    {"watch", 0, false, true, false},
    {"deliver", 3, true, true, false},
    {"monitor", 0, false, false, false},
};

const CommandForm* FormOf(const std::string& name) {
    for (const CommandForm& form : kForms) {
        if (name == form.name) return &form;
    }
    return nullptr;
}

bool Figure(const std::string& text, double* value) {
    char* end = nullptr;
    *value = std::strtod(text.c_str(), &end);
    return end != text.c_str() && *end == '\0' && std::isfinite(*value) && *value >= 0;
}

bool IsGrade(double value) { return value >= 1 && value <= kMaxGrade && value == std::floor(value); }

// A real customer is asked; the status polls that follow wait until they have done it.
class CustomerAtTheDispenser : public Customer {
public:
    CustomerAtTheDispenser(Output& out, uint32_t point) : out_(out), point_(point) {}
    void LiftNozzle(int32_t grade) override {
        out_.Emit("  customer: lift nozzle " + std::to_string(grade) + " now", CustomerJson(point_, "lift", grade));
    }
    void HangNozzle() override {
        out_.Emit("  customer: hang the nozzle up when the delivery stops", CustomerJson(point_, "hang", 0));
    }

private:
    Output& out_;
    uint32_t point_;
};

int Deliver(PointSession& session, const LineCommand& command) {
    DeliveryOrder order;
    order.point = session.point();
    order.grade = static_cast<int32_t>(command.arguments[0]);
    order.price = command.arguments[1];
    order.volume = command.arguments[2];
    CustomerAtTheDispenser customer(session.out(), session.point());
    const DeliveryOutcome outcome = RunDelivery(session, order, customer);
    if (session.Silent()) return 0;  // told by the caller
    const bool read = outcome.final.known && outcome.before.known && outcome.after.known;
    const bool agrees = outcome.stopped && TotalsGrewByFinal(outcome);
    const char* text = agrees ? "the totals grew by the final figures"
                       : read ? "MISMATCH: the delivery did not end, or the totals did not grow by its figures"
                              : "CANNOT CHECK: the final figures or the totals could not be read";
    session.out().Emit(text, JsonObject()
                                 .Text("event", "check")
                                 .Number("point", session.point())
                                 .Flag("agrees", agrees)
                                 .Flag("figures_read", read));
    return agrees ? 0 : 1;
}

// "data: 1.60 l, 73.44 (line result 1)" and its object.
void TellFigures(PointSession& session, const std::string& event, const std::string& label, const Figures& figures,
                 JsonObject json = JsonObject()) {
    json.Text("event", event).Number("point", session.point());
    session.out().Emit(label + ": " + FiguresText(figures), AddFigures(json, figures));
}

void Switch(PointSession& session, bool on, const std::string& word) {
    const uint32_t point = session.point();
    const int32_t answer = session.slots().FillingPointControl(session.driver(), point, 0, on ? 1 : 0);
    session.out().Emit(
        word + ": point " + std::to_string(point) + " switched " + (on ? "on" : "off") + ", answered " +
            std::to_string(answer),
        JsonObject().Text("event", "switch").Number("point", point).Flag("on", on).Number("answer", answer));
}

}  // namespace

int RunCommand(PointSession& session, const LineCommand& command) {
    const SbDriverVtbl& vm = session.slots();
    SbDriver* driver = session.driver();
    const uint32_t point = session.point();
    Output& out = session.out();
    const std::string& name = command.name;
    const std::vector<double>& a = command.arguments;
    const int32_t grade = a.empty() ? 0 : static_cast<int32_t>(a[0]);
    const JsonObject json = JsonObject().Text("event", name).Number("point", point);
    if (name == "status") {
        const uint32_t code = session.Poll();
        session.TellState(code, session.LineResult());
    } else if (name == "price") {
        vm.SetPrice(driver, point, 0, grade, 0, 0, a[1]);
        out.Emit("price of grade " + std::to_string(grade) + ": " + Fixed(a[1]),
                 JsonObject(json).Number("grade", grade).Figure("price", a[1]));
    } else if (name == "preset-volume") {
        vm.SetVolumePreset(driver, point, 0, 0, 0, a[0]);
        out.Emit("preset " + Fixed(a[0]) + " l", JsonObject(json).Figure("volume", a[0]));
    } else if (name == "preset-amount") {
        vm.SetAmountPreset(driver, point, 0, 0, 0, a[0]);
        out.Emit("preset " + Fixed(a[0]) + " money", JsonObject(json).Figure("amount", a[0]));
    } else if (name == "start") {
        vm.Start(driver, point, 0, grade, 1);
        out.Emit("START grade " + std::to_string(grade) + " sent", JsonObject(json).Number("grade", grade));
    } else if (name == "data") {
        TellFigures(session, "data", "data", session.Current());
    } else if (name == "final") {
        TellFigures(session, "final", "final", session.Final());
    } else if (name == "counter") {
        const Figures totals = session.Totals(grade);
        TellFigures(session, "counter", "counter grade " + std::to_string(grade), totals,
                    JsonObject().Number("grade", grade));
    } else if (name == "authorise") {
        vm.SetPrice(driver, point, 0, grade, 0, 0, a[1]);
        vm.SetVolumePreset(driver, point, 0, 0, 0, a[2]);
        vm.Start(driver, point, 0, grade, 1);
        out.Emit("START grade " + std::to_string(grade) + " at " + Fixed(a[1]) + ", preset " + Fixed(a[2]) + " l sent",
                 JsonObject(json).Number("grade", grade).Figure("price", a[1]).Figure("preset_volume", a[2]));
    } else if (name == "on" || name == "off" || name == "stop") {
        Switch(session, name == "on", name);
    } else if (name == "watch") {
        session.Watch();
    } else if (name == "deliver") {
        return Deliver(session, command);
    }
    return 0;
}

const char kTypedCommandHelp[] =
    "status, price GRADE PRICE, preset-volume LITRES, preset-amount MONEY, start GRADE, "
    "authorise GRADE PRICE LITRES, stop, data, final, counter GRADE, on, off";

const char kLineCommandHelp[] =
    "status | price GRADE PRICE | preset-volume LITRES | preset-amount MONEY | start GRADE |\n"
    "authorise GRADE PRICE LITRES | stop | data | final | counter GRADE | on | off | watch |\n"
    "deliver GRADE PRICE LITRES | monitor [REFRESHES] [--events FILE]";

namespace {

// "monitor [REFRESHES] [--events FILE]", in either order, from words[*i] on; *i moved past what it took.
bool ParseMonitor(const std::vector<std::string>& words, std::size_t* i, LineCommand* command, std::string* error) {
    bool counted = false;
    while (*i < words.size()) {
        double refreshes = 0;
        if (words[*i] == "--events" && command->events.empty()) {
            if (*i + 1 >= words.size() || words[*i + 1].empty()) {
                *error = "monitor: --events wants a file";
                return false;
            }
            command->events = words[*i + 1];
            *i += 2;
        } else if (!counted && Figure(words[*i], &refreshes) && refreshes <= kMaxRefreshes) {
            command->arguments.push_back(std::floor(refreshes));
            counted = true;
            ++*i;
        } else {
            break;
        }
    }
    return true;
}

}  // namespace

bool ParseLineCommands(const std::vector<std::string>& words, std::vector<LineCommand>* commands, std::string* error) {
    for (std::size_t i = 0; i < words.size();) {
        const CommandForm* form = FormOf(words[i]);
        if (form == nullptr) {
            *error = "unknown command \"" + words[i] + "\"";
            return false;
        }
        LineCommand command{words[i], {}, ""};
        if (command.name == "monitor") {
            ++i;
            if (!ParseMonitor(words, &i, &command, error)) return false;
            commands->push_back(command);
            continue;
        }
        for (std::size_t k = 1; k <= form->arity; ++k) {
            double value = 0;
            if (i + k >= words.size() || !Figure(words[i + k], &value)) {
                *error = command.name + " wants " + std::to_string(form->arity) + " figure(s), none negative";
                return false;
            }
            command.arguments.push_back(value);
        }
        if (form->gradeFirst && !IsGrade(command.arguments[0])) {
            *error = command.name + ": the grade must be 1.." + std::to_string(kMaxGrade);
            return false;
        }
        if ((command.name == "deliver" || command.name == "authorise") && command.arguments[2] <= 0) {
            *error = command.name + ": the preset must be above 0 litres";
            return false;
        }
        commands->push_back(command);
        i += 1 + form->arity;
    }
    if (commands->empty()) *error = "no command given";
    return !commands->empty();
}

bool ParseTypedCommand(const std::string& line, uint32_t* point, LineCommand* command, std::string* error) {
    std::istringstream words(line);
    std::string first;
    std::vector<std::string> rest;
    words >> first;
    for (std::string word; words >> word;) rest.push_back(word);
    if (!ReadPoint(first, point)) {
        *error = "a command starts with a point number 1.." + std::to_string(sbline::kMaxPoint);
        return false;
    }
    std::vector<LineCommand> commands;
    if (!ParseLineCommands(rest, &commands, error)) return false;
    if (commands.size() != 1 || !FormOf(commands[0].name)->typed) {
        *error = "the monitor takes one of: " + std::string(kTypedCommandHelp);
        return false;
    }
    *command = commands[0];
    return true;
}

bool ExchangesWithDispenser(const LineCommand& command) { return FormOf(command.name)->exchanges; }

}  // namespace sbhost
