#include "host/SimulatedDelivery.h"

#include <cmath>
#include <functional>
#include <iomanip>
#include <sstream>

#include "common/Cp1251.h"
#include "sim/SimPortService.h"

namespace sbhost {
namespace {

constexpr int kMaxPolls = 400;  // a delivery of the simulator ends long before

class Session {
public:
    Session(SbDriver* driver, sbsim::SimPortService& port, uint32_t point, std::ostream& out)
        : driver_(driver), vm_(*driver->vtbl), port_(port), point_(point), out_(out) {}

    uint32_t Poll() { return vm_.PollStatus(driver_, point_, 0); }

    uint32_t PollUntil(const std::function<bool(uint32_t)>& done) {
        uint32_t code = Poll();
        for (int i = 0; i < kMaxPolls && !done(code); ++i) code = Poll();
        return code;
    }

    void Customer(const char* what, const std::function<void(sbsim::FillingPoint&)>& action) {
        out_ << "  customer: " << what << "\n";
        port_.Act(point_, [&](sbsim::Dispenser& dispenser) { action(dispenser.point()); });
    }

    std::pair<double, double> Totals(int32_t grade) {
        double volume = 0, amount = 0;
        vm_.GetCounter(driver_, point_, 0, grade, &volume, &amount, 0, 0);
        return {volume, amount};
    }

    SbDriver* driver_;
    const SbDriverVtbl& vm_;
    sbsim::SimPortService& port_;
    uint32_t point_;
    std::ostream& out_;
};

std::string Hex(uint32_t code) {
    std::ostringstream text;
    text << std::uppercase << std::hex << std::setw(2) << std::setfill('0') << code;
    return text.str();
}

}  // namespace

int RunSimulatedDelivery(const DriverLibrary& library, const DeliveryOrder& order, std::ostream& out) {
    sbsim::PointConfig config;
    config.flowPerPoll = 20;
    sbsim::SimPortService port;
    port.Attach(order.point, config);

    SbDriver* driver = library.GetVM30()(0, nullptr, port.port());
    const SbDriverVtbl& vm = *driver->vtbl;
    Session session(driver, port, order.point, out);
    out << std::fixed << std::setprecision(2);

    SbDescription description;
    vm.Describe(&description, driver);
    out << "driver: " << sb::ToUtf8(std::string(reinterpret_cast<const char*>(description.bytes + 1), description.bytes[0])) << "\n";
    out << "open line " << order.point << ": port answered " << vm.OpenLine(driver, order.point) << "\n";
    vm.SetPrice(driver, order.point, 0, order.grade, 0, 0, order.price);
    if (order.volume > 0) {
        vm.SetVolumePreset(driver, order.point, 0, 0, 0, order.volume);
        out << "grade " << order.grade << " at " << order.price << ", preset " << order.volume << " l\n";
    } else {
        vm.SetAmountPreset(driver, order.point, 0, 0, 0, order.amount);
        out << "grade " << order.grade << " at " << order.price << ", preset " << order.amount << " money\n";
    }
    out << "state " << Hex(session.Poll()) << "\n";
    const auto before = session.Totals(order.grade);
    out << "totals before: " << before.first << " l, " << before.second << "\n";

    session.Customer("lifts nozzle", [&](sbsim::FillingPoint& point) { point.LiftNozzle(order.grade); });
    out << "state " << Hex(session.PollUntil([](uint32_t code) { return code >= 0xE0 && code <= 0xE6; })) << "\n";
    vm.Start(driver, order.point, 0, order.grade, 1);
    out << "START sent\n";

    uint32_t code = 0;
    for (int i = 0; i < kMaxPolls && (code < 0xD0 || code > 0xD6); ++i) {
        code = session.Poll();
        double amount = 0;
        const double volume = vm.CurrentDeliveryData(driver, order.point, 0, &amount);
        out << "  state " << Hex(code) << "  " << std::setw(7) << volume << " l  " << std::setw(8) << amount << "\n";
    }
    session.Customer("hangs the nozzle up", [](sbsim::FillingPoint& point) { point.HangNozzle(); });
    double volume = 0, amount = 0;
    vm.FinalDeliveryData(driver, order.point, 0, &volume, &amount);
    out << "final: " << volume << " l, " << amount << " (line result " << vm.GetLineResult(driver, order.point)
        << ")\n";
    const auto after = session.Totals(order.grade);
    out << "totals after:  " << after.first << " l, " << after.second << "\n";
    out << "state " << Hex(session.PollUntil([](uint32_t state) { return state == 0xC0; })) << "\n";

    const sbsim::SaleFigures sale = port.dispenser(order.point)->point().sale();
    const bool agrees = std::llround(volume * 100) == sale.volume && std::llround(amount * 100) == sale.amount &&
                        std::llround((after.first - before.first) * 100) == sale.volume;
    out << (agrees ? "the driver's figures agree with the dispenser's\n"
                   : "MISMATCH between the driver's and the dispenser's figures\n");
    return agrees ? 0 : 1;
}

}  // namespace sbhost
