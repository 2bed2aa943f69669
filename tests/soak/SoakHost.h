// The soak's host: whole sales on one point, each judged (soak/SoakJudge.h) against the simulated dispenser's
// totals. The world chooses what a station's day holds: volume and amount presets always, and, as it asks,
// fill-ups, early hang-ups, prices changed between START and the final read, customers who walk away (and hosts
// that take their authorisation back or not, with the next customer lifting before START), hosts that restart
// (a new driver object on the same dispensers), dispensers that lose power, and amounts wider than the field.
// Faults are drawn at random into the line at each step of a sale, START meeting them more often; some hosts
// read the running figures many times, wait for the finished report before the final read, or try the final
// read again.
// The native suite and the Windows test host run it, one host per point, each telling failures and timing calls
// its own way; the explorer (soak/Explorer.h) runs its sales with fixed plans and faults placed by exchange.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "sbdriver/sbdriver.h"
#include "sim/SimPortService.h"
#include "soak/SoakJudge.h"
#include "soak/SoakPlan.h"
#include "soak/SoakTrace.h"

namespace soak {

constexpr uint32_t kPoints = 32;

enum Fault { kSilence, kNaks, kWaits, kRefusal, kBabble, kCorruption, kPortFailure, kUnseenCorruption, kFaults };

// What a soak's hosts may meet besides presets and line faults.
struct World {
    bool fillUps = false;       // a third of the sales, some early hang-ups, some hosts wait for the finish
    bool priceChanges = false;  // the host sets the grade's next price during a sale
    bool walkAways = true;      // with hosts that take unused authorisations back or not
    bool restarts = false;      // where the target can make a new driver object
    bool powerCycles = false;
    bool wideAmounts = false;  // points with large fill-ups at high prices, with and without a smaller SDec
    std::string name = "classic";
};
// "classic" (presets and walk-aways), "wide" (everything) or a list of fill-ups, prices, restarts, power, amounts
// joined by "+"; false for anything else.
bool ParseWorld(const std::string& text, World* world);

struct Counts {
    std::array<unsigned, kOutcomes> outcomes{};
    std::array<unsigned, kFaults> faults{};
    EventCounts events{};
    unsigned deliveries = 0;
    unsigned sales = 0;                 // deliveries in which the dispenser sold something
    uint64_t longestCallMs = 0;         // the longest one call of the driver took, by the target's clock
    uint64_t digest = 0;                // of every transmission the driver made, to see that a run reproduces
    std::vector<std::string> examples;  // of wrong deliveries, a few per host, each with its point's trace

    // Wrong deliveries; with knownStartDenied, START raising after the dispenser took it is left out: the driver
    // does so until START tells the truth, and the suite stays green meanwhile (SB_SOAK_STRICT=1 counts it).
    unsigned Wrong(bool knownStartDenied = false) const;
    void Add(const Counts& other);
    // "N deliveries (M sold); faults: ...; events: ...; accepted ..., ...; wrong W; longest call L <callTime>".
    std::string Summary(const char* callTime) const;
};

// The driver under soak and the line beneath it, as the platform's soak reaches them.
struct Target {
    const SbDriverVtbl* slots = nullptr;
    SbDriver* object = nullptr;
    sbsim::SimPortService* lines = nullptr;  // the driver's port service, or the one behind it
    // Runs one slot call; true when the driver failed it (raised, or returned the failure).
    std::function<bool(const std::function<void()>& call)> failed;
    // The port service fails the next n send-and-receive calls, on whichever lines make them.
    std::function<void(unsigned n)> failPort;
    // Milliseconds on this thread's clock, to time each call.
    std::function<uint64_t()> clockMs;
    // Whether a host told that its START failed still reads the running figures while it polls. Under real
    // pauses each such read costs a second of the driver's lock repeats while the nozzle is up unauthorised.
    bool readsAfterToldStart = true;
    // Sends the driver's trace lines written on the calling thread to the trace from now on (nullptr: no longer).
    // Not set where those lines cannot be reached: the trace then holds the host's steps alone.
    std::function<void(StepTrace* trace)> traceDriverLines;
    // Replaces the driver object by a new one on the same port service, as a host that restarts; returns it. Not
    // set where the library makes one object per process: its hosts do not restart.
    std::function<SbDriver*()> restart;
    // The command that replays a wrong delivery of this point exactly, or nothing where a run does not reproduce.
    std::function<std::string(uint32_t point, unsigned delivery)> replayCommand;
};

// A point of the world: its dispenser, the prices its host sets and the driver's amount scale it needs.
struct PointSetup {
    sbsim::PointConfig config;
    double price = 0;       // the host's price of every grade; each change moves it by kPriceStep and back
    int amountScale = 100;  // SDec
};
PointSetup SetupOf(const World& world, uint32_t point);
// A dispenser on each of the points 1..kPoints, set up for the world.
void AttachDispensers(sbsim::SimPortService& lines, const World& world = World{});

// One host on one point: opens the line, then makes sales by plans drawn or given.
class SaleHost {
public:
    // randomFaults: draws line faults at each step (the soak); without, the line is as the port service makes it.
    SaleHost(const Target& target, uint32_t point, const World& world, const PointSetup& setup, uint32_t seed,
             bool randomFaults);
    void Open();
    // One sale by the plan; returns how it was judged.
    Outcome Deliver(unsigned number, const SalePlan& plan);
    SalePlan DrawPlan();
    const HostHabits& habits() const { return habits_; }
    void SetHabits(const HostHabits& habits) { habits_ = habits; }
    Counts& counts() { return counts_; }
    StepTrace& trace() { return trace_; }

private:
    struct Totals {
        int64_t volume = 0, amount = 0;
        unsigned unseen = 0, starts = 0;
    };
    const SbDriverVtbl& vm() const { return *slots_; }
    void AtDispenser(const std::function<void(sbsim::Dispenser&)>& action) { target_.lines->Act(point_, action); }
    unsigned Draw(unsigned below) { return static_cast<unsigned>(random_() % below); }
    bool Call(const std::function<void()>& call);
    void Step(const char* format, ...);
    void StepDispenser(const char* when);
    void MaybeFault(unsigned oneIn, unsigned length = 1);
    Totals TotalsNow();
    void SetPrice(int grade, double price);
    void Restart();
    void PowerCycle(const SalePlan& plan);
    void AtStage(Stage stage, const SalePlan& plan);
    void Example(unsigned number, const SalePlan& plan, const DeliveryFacts& facts, Outcome outcome, uint32_t code);

    const Target& target_;
    const SbDriverVtbl* slots_;
    SbDriver* object_;
    uint32_t point_;
    World world_;
    PointSetup setup_;
    HostHabits habits_;
    bool randomFaults_;
    std::mt19937 random_;
    std::array<double, 7> prices_{};  // the host's price of each grade
    bool told_ = false;
    bool driverOrPowerChanged_ = false;   // a restart or a power cycle came in the current sale
    bool leftAuthorised_ = false;         // the previous sale's customer walked away and nobody took START back
    unsigned unseenBeforeReference_ = 0;  // unseen corruptions sent before the reference's delivery began
    std::string faultsDrawn_;             // during the current delivery
    StepTrace trace_;
    Counts counts_;
};

// One host's deliveries on one point; hosts on different points may run at the same time.
Counts RunHost(const Target& target, uint32_t point, uint32_t seed, unsigned deliveries, const World& world = World{});

}  // namespace soak
