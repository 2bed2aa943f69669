#include "host/DeliveryStory.h"

#include <cmath>

namespace sbhost {
namespace {

bool SameHundredths(double a, double b) { return std::llround(a * 100) == std::llround(b * 100); }

}  // namespace

DeliveryOutcome RunDelivery(PointSession& session, const DeliveryOrder& order, Customer& customer) {
    const SbDriverVtbl& vm = session.slots();
    SbDriver* driver = session.driver();
    std::ostream& out = session.out();
    DeliveryOutcome outcome;

    vm.SetPrice(driver, order.point, 0, order.grade, 0, 0, order.price);
    if (order.volume > 0) {
        vm.SetVolumePreset(driver, order.point, 0, 0, 0, order.volume);
        out << "grade " << order.grade << " at " << order.price << ", preset " << order.volume << " l\n";
    } else {
        vm.SetAmountPreset(driver, order.point, 0, 0, 0, order.amount);
        out << "grade " << order.grade << " at " << order.price << ", preset " << order.amount << " money\n";
    }
    out << "state " << Hex(session.Poll()) << "\n";
    outcome.before = session.Totals(order.grade);
    out << "totals before: " << outcome.before.volume << " l, " << outcome.before.amount << "\n";

    customer.LiftNozzle(order.grade);
    out << "state " << Hex(session.PollUntil(IsNozzleUp)) << "\n";
    vm.Start(driver, order.point, 0, order.grade, 1);
    out << "START sent\n";
    const bool ranToEnd = IsDeliveryStopped(session.Watch());

    customer.HangNozzle();
    outcome.final = session.Final();
    out << "final: " << outcome.final.volume << " l, " << outcome.final.amount << " (line result "
        << vm.GetLineResult(driver, order.point) << ")\n";
    outcome.after = session.Totals(order.grade);
    out << "totals after:  " << outcome.after.volume << " l, " << outcome.after.amount << "\n";
    const uint32_t last = session.PollUntil([](uint32_t code) { return code == 0xC0; });
    out << "state " << Hex(last) << "\n";
    outcome.stopped = ranToEnd && last == 0xC0;
    return outcome;
}

bool TotalsGrewByFinal(const DeliveryOutcome& outcome) {
    return SameHundredths(outcome.after.volume - outcome.before.volume, outcome.final.volume) &&
           SameHundredths(outcome.after.amount - outcome.before.amount, outcome.final.amount);
}

}  // namespace sbhost
