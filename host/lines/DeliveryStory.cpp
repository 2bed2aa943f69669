#include "host/lines/DeliveryStory.h"

#include <cmath>

namespace sbhost {
namespace {

bool SameHundredths(double a, double b) { return std::llround(a * 100) == std::llround(b * 100); }

}  // namespace

namespace {

// "totals before: 0.00 l, 0.00 (line result 1)"
void TellTotals(PointSession& session, const char* when, int32_t grade, const Figures& totals) {
    JsonObject json;
    json.Text("event", "totals").Number("point", session.point()).Text("when", when).Number("grade", grade);
    session.out().Emit(std::string("totals ") + when + ": " + FiguresText(totals), AddFigures(json, totals));
}

}  // namespace

JsonObject CustomerJson(uint32_t point, const char* action, int32_t nozzle) {
    return JsonObject()
        .Text("event", "customer")
        .Number("point", point)
        .Text("action", action)
        .Number("nozzle", nozzle);
}

DeliveryOutcome RunDelivery(PointSession& session, const DeliveryOrder& order, Customer& customer) {
    const SbDriverVtbl& vm = session.slots();
    SbDriver* driver = session.driver();
    DeliveryOutcome outcome;

    vm.SetPrice(driver, order.point, 0, order.grade, 0, 0, order.price);
    JsonObject json;
    json.Text("event", "order").Number("point", order.point).Number("grade", order.grade).Figure("price", order.price);
    if (order.volume > 0) {
        vm.SetVolumePreset(driver, order.point, 0, 0, 0, order.volume);
        json.Figure("preset_volume", order.volume);
    } else {
        vm.SetAmountPreset(driver, order.point, 0, 0, 0, order.amount);
        json.Figure("preset_amount", order.amount);
    }
    session.out().Emit("grade " + std::to_string(order.grade) + " at " + Fixed(order.price) + ", preset " +
                           (order.volume > 0 ? Fixed(order.volume) + " l" : Fixed(order.amount) + " money"),
                       json);
    const uint32_t first = session.Poll();
    session.TellState(first, session.LineResult());
    if (session.Silent()) return outcome;
    outcome.before = session.Totals(order.grade);
    TellTotals(session, "before", order.grade, outcome.before);

    customer.LiftNozzle(order.grade);
    const uint32_t lifted = session.PollUntil(IsNozzleUp, "nozzle " + std::to_string(order.grade) + " up");
    session.TellState(lifted, session.LineResult());
    if (session.Silent()) return outcome;
    vm.Start(driver, order.point, 0, order.grade, 1);
    session.out().Emit("START sent",
                       JsonObject().Text("event", "start").Number("point", order.point).Number("grade", order.grade));
    const bool ranToEnd = session.Watch();

    customer.HangNozzle();
    outcome.final = session.Final();
    JsonObject final;
    final.Text("event", "final").Number("point", order.point);
    session.out().Emit("final: " + FiguresText(outcome.final), AddFigures(final, outcome.final));
    outcome.after = session.Totals(order.grade);
    TellTotals(session, "after", order.grade, outcome.after);
    const uint32_t last = session.PollUntil([](uint32_t code) { return code == 0xC0; }, "the point to be idle");
    session.TellState(last, session.LineResult());
    outcome.stopped = ranToEnd && last == 0xC0;
    return outcome;
}

bool TotalsGrewByFinal(const DeliveryOutcome& outcome) {
    return outcome.final.known && outcome.before.known && outcome.after.known &&
           SameHundredths(outcome.after.volume - outcome.before.volume, outcome.final.volume) &&
           SameHundredths(outcome.after.amount - outcome.before.amount, outcome.final.amount);
}

}  // namespace sbhost
