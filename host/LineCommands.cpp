#include "host/LineCommands.h"

#include <cmath>
#include <cstdlib>

#include "host/DeliveryStory.h"

namespace sbhost {
namespace {

constexpr int32_t kMaxGrade = 6;

struct CommandForm {
    const char* name;
    std::size_t arity;
    bool gradeFirst;  // the first argument is a grade
};

const CommandForm kForms[] = {
    {"status", 0, false}, {"price", 2, true},  {"preset-volume", 1, false}, {"preset-amount", 1, false},
    {"start", 1, true},   {"data", 0, false},  {"final", 0, false},         {"counter", 1, true},
    {"on", 0, false},     {"off", 0, false},   {"watch", 0, false},         {"deliver", 3, true},
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
    explicit CustomerAtTheDispenser(std::ostream& out) : out_(out) {}
    void LiftNozzle(int32_t grade) override { out_ << "  customer: lift nozzle " << grade << " now\n" << std::flush; }
    void HangNozzle() override { out_ << "  customer: hang the nozzle up when the delivery stops\n" << std::flush; }

private:
    std::ostream& out_;
};

int Deliver(PointSession& session, const LineCommand& command) {
    DeliveryOrder order;
    order.point = session.point();
    order.grade = static_cast<int32_t>(command.arguments[0]);
    order.price = command.arguments[1];
    order.volume = command.arguments[2];
    CustomerAtTheDispenser customer(session.out());
    const DeliveryOutcome outcome = RunDelivery(session, order, customer);
    const bool agrees = outcome.stopped && TotalsGrewByFinal(outcome);
    session.out() << (agrees ? "the totals grew by the final figures\n"
                             : "MISMATCH: the delivery did not end, or the totals did not grow by its figures\n");
    return agrees ? 0 : 1;
}

int Run(PointSession& session, const LineCommand& command) {
    const SbDriverVtbl& vm = session.slots();
    SbDriver* driver = session.driver();
    const uint32_t point = session.point();
    std::ostream& out = session.out();
    const std::string& name = command.name;
    const std::vector<double>& a = command.arguments;
    const int32_t grade = a.empty() ? 0 : static_cast<int32_t>(a[0]);
    if (name == "status") {
        out << "state " << Hex(session.Poll()) << "\n";
    } else if (name == "price") {
        vm.SetPrice(driver, point, 0, grade, 0, 0, a[1]);
        out << "price of grade " << grade << ": " << a[1] << "\n";
    } else if (name == "preset-volume") {
        vm.SetVolumePreset(driver, point, 0, 0, 0, a[0]);
        out << "preset " << a[0] << " l\n";
    } else if (name == "preset-amount") {
        vm.SetAmountPreset(driver, point, 0, 0, 0, a[0]);
        out << "preset " << a[0] << " money\n";
    } else if (name == "start") {
        vm.Start(driver, point, 0, grade, 1);
        out << "START grade " << grade << " sent\n";
    } else if (name == "data") {
        const Figures now = session.Current();
        out << "data: " << now.volume << " l, " << now.amount << "\n";
    } else if (name == "final") {
        const Figures final = session.Final();
        out << "final: " << final.volume << " l, " << final.amount << " (line result "
            << vm.GetLineResult(driver, point) << ")\n";
    } else if (name == "counter") {
        const Figures totals = session.Totals(grade);
        out << "counter grade " << grade << ": " << totals.volume << " l, " << totals.amount << "\n";
    } else if (name == "on" || name == "off") {
        const int32_t answer = vm.FillingPointControl(driver, point, 0, name == "on" ? 1 : 0);
        out << "switch " << name << ": answered " << answer << "\n";
    } else if (name == "watch") {
        out << "state " << Hex(session.Watch()) << "\n";
    } else if (name == "deliver") {
        return Deliver(session, command);
    }
    return 0;
}

}  // namespace

const char kLineCommandHelp[] =
    "status | price GRADE PRICE | preset-volume LITRES | preset-amount MONEY | start GRADE | data | final |\n"
    "counter GRADE | on | off | watch | deliver GRADE PRICE LITRES";

bool ParseLineCommands(const std::vector<std::string>& words, std::vector<LineCommand>* commands,
                       std::string* error) {
    for (std::size_t i = 0; i < words.size();) {
        const CommandForm* form = FormOf(words[i]);
        if (form == nullptr) {
            *error = "unknown command \"" + words[i] + "\"";
            return false;
        }
        LineCommand command{words[i], {}};
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

int RunLineCommands(PointSession& session, const std::vector<LineCommand>& commands) {
    for (const LineCommand& command : commands) {
        if (const int code = Run(session, command)) return code;
    }
    return 0;
}

}  // namespace sbhost
