#include "host/lines/SimulatedDelivery.h"

#include <cmath>

#include "host/lines/PortWatch.h"
#include "sim/SimPortService.h"

namespace sbhost {
namespace {

// The simulated customer acts on the dispenser at once, under the lock the exchanges take.
class SimulatedCustomer : public Customer {
public:
    SimulatedCustomer(sbsim::SimPortService& port, uint32_t point, Output& out)
        : port_(port), point_(point), out_(out) {}

    void LiftNozzle(int32_t grade) override {
        out_.Emit("  customer: lifts nozzle " + std::to_string(grade), CustomerJson(point_, "lift", grade));
        port_.Act(point_, [&](sbsim::Dispenser& dispenser) { dispenser.point().LiftNozzle(grade); });
    }
    void HangNozzle() override {
        out_.Emit("  customer: hangs the nozzle up", CustomerJson(point_, "hang", 0));
        port_.Act(point_, [](sbsim::Dispenser& dispenser) { dispenser.point().HangNozzle(); });
    }

private:
    sbsim::SimPortService& port_;
    uint32_t point_;
    Output& out_;
};

}  // namespace

int RunSimulatedDelivery(const DriverLibrary& library, const DeliveryOrder& order, Output& out) {
    sbsim::PointConfig config;
    config.flowPerPoll = 20;
    sbsim::SimPortService port;
    port.Attach(order.point, config);
    PortWatch watch(port.port());

    SbDriver* driver = library.GetVM30()(0, nullptr, watch.port());
    watch.ReadStatisticsFrom(driver, library.GetLinkStatistics());
    PointSession session(driver, order.point, out, watch);
    session.TellDriver();
    session.OpenLine();
    SimulatedCustomer customer(port, order.point, out);
    const DeliveryOutcome outcome = RunDelivery(session, order, customer);

    const sbsim::SaleFigures sale = port.dispenser(order.point)->point().sale();
    const bool agrees = outcome.stopped && std::llround(outcome.final.volume * 100) == sale.volume &&
                        std::llround(outcome.final.amount * 100) == sale.amount && TotalsGrewByFinal(outcome);
    out.Emit(agrees ? "the driver's figures agree with the dispenser's"
                    : "MISMATCH between the driver's and the dispenser's figures",
             JsonObject().Text("event", "check").Number("point", order.point).Flag("agrees", agrees));
    return agrees ? 0 : 1;
}

}  // namespace sbhost
