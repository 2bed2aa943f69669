#include "host/LineCommands.h"

#include <cmath>
#include <cstdlib>

#include "host/DeliveryStory.h"

namespace sbhost {
namespace {

constexpr int32_t kMaxGrade = 6;
constexpr double kMaxRefreshes = 1000000;

struct CommandForm {
    const char* name;
    std::size_t arity;
    bool gradeFirst;  // the first argument is a grade
    bool exchanges;   // talks to the dispenser: its point's silence is told after it
};

const CommandForm kForms[] = {
    {"status", 0, false, true},         {"price", 2, true, false},   {"preset-volume", 1, false, false},
    {"preset-amount", 1, false, false}, {"start", 1, true, true},    {"data", 0, false, true},
    {"final", 0, false, true},          {"counter", 1, true, true},  {"on", 0, false, true},
    {"off", 0, false, true},            {"watch", 0, false, true},   {"deliver", 3, true, true},
    {"monitor", 0, false, false},
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
    const bool agrees = outcome.stopped && TotalsGrewByFinal(outcome);
    session.out().Emit(agrees ? "the totals grew by the final figures"
                              : "MISMATCH: the delivery did not end, or the totals did not grow by its figures",
                       JsonObject().Text("event", "check").Number("point", session.point()).Flag("agrees", agrees));
    return agrees ? 0 : 1;
}

// "data: 1.60 l, 73.44" and its object.
void TellFigures(PointSession& session, const std::string& event, const std::string& label, const Figures& figures,
                 JsonObject json = JsonObject()) {
    const uint32_t lineResult = session.LineResult();
    session.out().Emit(label + ": " + Fixed(figures.volume) + " l, " + Fixed(figures.amount) + " (line result " +
                           std::to_string(lineResult) + ")",
                       json.Text("event", event)
                           .Number("point", session.point())
                           .Figure("volume", figures.volume)
                           .Figure("amount", figures.amount)
                           .Number("line_result", lineResult));
}

int Run(PointSession& session, const MonitorLines& lines, const LineCommand& command) {
    const SbDriverVtbl& vm = session.slots();
    SbDriver* driver = session.driver();
    const uint32_t point = session.point();
    Output& out = session.out();
    const std::string& name = command.name;
    const std::vector<double>& a = command.arguments;
    const int32_t grade = a.empty() ? 0 : static_cast<int32_t>(a[0]);
    const JsonObject json = JsonObject().Text("event", name).Number("point", point);
    if (name == "status") {
        session.TellState(session.Poll());
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
    } else if (name == "on" || name == "off") {
        const int32_t answer = vm.FillingPointControl(driver, point, 0, name == "on" ? 1 : 0);
        out.Emit("switch " + name + ": answered " + std::to_string(answer),
                 JsonObject().Text("event", "switch").Number("point", point).Flag("on", name == "on").Number("answer",
                                                                                                             answer));
    } else if (name == "watch") {
        session.Watch();
    } else if (name == "deliver") {
        return Deliver(session, command);
    } else if (name == "monitor") {
        return RunMonitor(lines, a.empty() ? 0 : static_cast<int>(a[0]), out);
    }
    return 0;
}

}  // namespace

const char kLineCommandHelp[] =
    "status | price GRADE PRICE | preset-volume LITRES | preset-amount MONEY | start GRADE | data | final |\n"
    "counter GRADE | on | off | watch | deliver GRADE PRICE LITRES | monitor [REFRESHES]";

bool ParseLineCommands(const std::vector<std::string>& words, std::vector<LineCommand>* commands,
                       std::string* error) {
    for (std::size_t i = 0; i < words.size();) {
        const CommandForm* form = FormOf(words[i]);
        if (form == nullptr) {
            *error = "unknown command \"" + words[i] + "\"";
            return false;
        }
        LineCommand command{words[i], {}};
        double refreshes = 0;
        if (command.name == "monitor" && i + 1 < words.size() && Figure(words[i + 1], &refreshes) &&
            refreshes <= kMaxRefreshes) {
            command.arguments.push_back(std::floor(refreshes));
            commands->push_back(command);
            i += 2;
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
        if (command.name == "deliver" && command.arguments[2] <= 0) {
            *error = "deliver: the preset must be above 0 litres";
            return false;
        }
        commands->push_back(command);
        i += 1 + form->arity;
    }
    if (commands->empty()) *error = "no command given";
    return !commands->empty();
}

int RunLineCommands(PointSession& session, const MonitorLines& lines, const std::vector<LineCommand>& commands) {
    for (const LineCommand& command : commands) {
        const int code = Run(session, lines, command);
        if (FormOf(command.name)->exchanges && session.Silent()) {
            session.TellSilence();
            return kExitNoAnswer;
        }
        if (code != 0) return code;
    }
    return 0;
}

}  // namespace sbhost
