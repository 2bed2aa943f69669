#include "sim/program/Forecourt.h"

#include <cctype>
#include <cstdlib>
#include <set>

#include "sim/FaultScript.h"

namespace sbsim {
namespace {

const char* const kFaultKinds[] = {"silence", "nak", "wait", "refuse", "corrupt", "noise"};
constexpr unsigned long kMaxFaultCount = 1000000;

bool KnownKind(const std::string& kind) {
    for (const char* known : kFaultKinds) {
        if (kind == known) return true;
    }
    return false;
}

}  // namespace

const LineSetup* Forecourt::Line(const std::string& name) const {
    for (const LineSetup& line : lines) {
        if (line.name == name) return &line;
    }
    return nullptr;
}

bool ReadFaultOrder(const std::string& target, const std::vector<std::string>& words, std::size_t at, FaultOrder* order,
                    std::string* error) {
    order->target = target;
    if (at + 2 != words.size() || !KnownKind(words[at])) {
        *error = "a fault is KIND COUNT|on|off with KIND silence, nak, wait, refuse, corrupt or noise";
        return false;
    }
    order->kind = words[at];
    const std::string& count = words[at + 1];
    if (count == "on" || count == "off") {
        order->count = count == "on" ? kForever : 0;
        return true;
    }
    char* end = nullptr;
    const unsigned long value = std::strtoul(count.c_str(), &end, 10);
    if (count.empty() || *end != '\0' || count[0] == '-' || value > kMaxFaultCount) {
        *error = "a fault's count is 0.." + std::to_string(kMaxFaultCount) + ", on or off";
        return false;
    }
    order->count = static_cast<unsigned>(value);
    return true;
}

Forecourt EvenForecourt(unsigned points, unsigned lines, const LineSetup& line, const PointConfig& point) {
    Forecourt forecourt;
    for (unsigned k = 0; k < lines; ++k) {
        LineSetup setup = line;
        setup.name = std::string(1, static_cast<char>('A' + k));
        forecourt.lines.push_back(setup);
    }
    for (unsigned address = 1; address <= points; ++address) {
        PointSetup setup;
        setup.address = address;
        setup.line = forecourt.lines[(address - 1) * lines / points].name;
        setup.config = point;
        forecourt.points.push_back(setup);
    }
    return forecourt;
}

bool CheckForecourt(const Forecourt& forecourt, std::string* error) {
    if (forecourt.points.empty()) {
        *error = "the forecourt has no point";
        return false;
    }
    std::set<unsigned> addresses;
    for (const PointSetup& point : forecourt.points) {
        if (!addresses.insert(point.address).second) {
            *error = "point " + std::to_string(point.address) + " is given twice";
            return false;
        }
        if (forecourt.Line(point.line) == nullptr) {
            *error =
                "point " + std::to_string(point.address) + " is on line \"" + point.line + "\", which is not given";
            return false;
        }
    }
    for (const FaultOrder& fault : forecourt.faults) {
        const bool isPoint = !fault.target.empty() && std::isdigit(static_cast<unsigned char>(fault.target[0]));
        if (isPoint ? addresses.count(static_cast<unsigned>(std::atoi(fault.target.c_str()))) == 0
                    : forecourt.Line(fault.target) == nullptr) {
            *error = "a fault names \"" + fault.target + "\", neither a point nor a line of the forecourt";
            return false;
        }
    }
    return true;
}

}  // namespace sbsim
