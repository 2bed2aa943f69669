#include "DeliveryChecks.h"

#include <cmath>
#include <functional>

#include "Check.h"
#include "EspProbe.h"

namespace wintest {
namespace {

constexpr uint32_t p = kDeliveryPoint;
constexpr int kMaxPolls = 40;  // the delivery below takes about a dozen polls

// A price of 45.125 scaled by PDec 100 is 4512.5: rounded half to even it is 4512.
constexpr double kPrice = 45.125;
constexpr int64_t kPriceUnits = 4512;
constexpr double kPresetLitres = 5.0;
constexpr double kFinalAmount = 225.60;  // 5 litres at 45.12

bool Near(double got, double want) { return std::fabs(got - want) < 0.005; }

// Polls slot 10 until the state code satisfies the test; the last code seen, or nothing after kMaxPolls.
uint32_t PollUntil(HostSetup& host, const std::function<bool(uint32_t)>& reached) {
    uint32_t state = 0;
    for (int poll = 0; poll < kMaxPolls; ++poll) {
        state = host.Slots().PollStatus(host.driver, p, 0);
        if (reached(state)) return state;
    }
    return state;
}

bool IsFinished(uint32_t state) { return state >= 0xD0 && state <= 0xD6; }

}  // namespace

void CheckDelivery(HostSetup& host) {
    const SbDriverVtbl& slots = host.Slots();
    sbsim::Dispenser& dispenser = *host.lines->dispenser(p);

    slots.SetPrice(host.driver, p, 0, 1, 0, 0, kPrice);
    slots.SetAmountPreset(host.driver, p, 0, 0, 0, 100.0);
    slots.SetVolumePreset(host.driver, p, 0, 0, 0, kPresetLitres);  // clears the amount preset

    ExpectEqual(PollUntil(host, [](uint32_t s) { return s == 0xC0; }), 0xC0u, "delivery: the idle point reports 0xC0");
    slots.Start(host.driver, p, 0, 1, 1);
    const auto& start = dispenser.point().lastStart();
    if (Expect(start.has_value(), "delivery: START reaches the dispenser")) {
        ExpectEqual(start->grade, 1, "delivery: START carries grade 1");
        ExpectEqual(start->price, kPriceUnits, "delivery: START carries the slot 11 price times PDec, half to even");
        ExpectEqual(start->preset, int64_t{500}, "delivery: START carries the slot 13 volume preset in 1/100 l");
        ExpectEqual(start->kind, '1', "delivery: the volume preset replaced the earlier amount preset");
        ExpectEqual(start->mode, '0', "delivery: start mode 1 travels as \"0\"");
    }
    ExpectEqual(slots.PollStatus(host.driver, p, 0), 0xE9u, "delivery: the authorised point reports 0xE9");
    host.lines->Act(p, [](sbsim::Dispenser& d) { d.point().LiftNozzle(1); });

    // Running: slot 9 hands the volume back in ST(0) and the amount through the pointer.
    const uint32_t running = PollUntil(host, [](uint32_t s) { return s == 0xD9; });
    if (ExpectEqual(running, 0xD9u, "delivery: the running delivery reports 0xD9")) {
        double amount = -1;
        const double volume = slots.CurrentDeliveryData(host.driver, p, 0, &amount);
        Expect(volume > 0 && volume < kPresetLitres, "slot 9: the running volume comes back in ST(0)",
               std::to_string(volume));
        Expect(std::fabs(amount - volume * 45.12) < 0.01, "slot 9: the running amount matches the volume",
               std::to_string(amount));
    }

    Expect(IsFinished(PollUntil(host, &IsFinished)), "delivery: the finished delivery reports 0xD0..0xD6");
    double volume = -1;
    double amount = -1;
    slots.FinalDeliveryData(host.driver, p, 0, &volume, &amount);
    Expect(std::fabs(volume - kPresetLitres) < 0.01, "slot 6: the final volume is the preset", std::to_string(volume));
    Expect(Near(amount, kFinalAmount), "slot 6: the final amount", std::to_string(amount));

    host.lines->Act(p, [](sbsim::Dispenser& d) { d.point().HangNozzle(); });
    ExpectEqual(PollUntil(host, [](uint32_t s) { return s == 0xC0; }), 0xC0u,
                "delivery: the point is idle again after the nozzle is hung up");

    double volumeTotal = -1;
    double amountTotal = -1;
    slots.GetCounter(host.driver, p, 0, 1, &volumeTotal, &amountTotal, 0, 0);
    Expect(Near(volumeTotal, kPresetLitres), "slot 7: the volume total of grade 1", std::to_string(volumeTotal));
    Expect(Near(amountTotal, kFinalAmount), "slot 7: the amount total of grade 1", std::to_string(amountTotal));

    if (host.getLinkStatistics == nullptr) return;  // told by LoadDriver
    SbLinkStatistics stats{};
    stats.size = sizeof stats;
    uint32_t removed = 0;
    ExpectEqual(CallProbed(host.getLinkStatistics, &removed, host.driver, p, &stats), 120u,
                "SbGetLinkStatistics fills the 120-byte struct");
    ExpectEqual(removed, 12u, "SbGetLinkStatistics removes 12 bytes (3 words)");
    ExpectEqual(stats.exchanges, static_cast<uint64_t>(host.PortCalls(16, p)),
                "SbGetLinkStatistics: the exchanges are the port's send-and-receive calls for the point");
}

}  // namespace wintest
