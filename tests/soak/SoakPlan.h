// What happens in one sale of the soak's world, decided before it runs: the customer's and the host's choices and
// the station's mishaps. The soak draws plans at random, the explorer runs fixed ones.
#pragma once

#include <array>

namespace soak {

// When in the sale a host restart or a power cycle comes.
enum class Stage { kNone, kBeforeStart, kAfterStart, kMidDelivery, kAfterFinish };
constexpr int kStages = 4;  // the stages that are not kNone
extern const char* const kStageNames[kStages + 1];

struct SalePlan {
    int grade = 1;
    double volumePreset = 0;  // litres; with amountPreset 0 as well: a fill-up, ended by the tank or the customer
    double amountPreset = 0;
    bool walkAway = false;          // the customer leaves without lifting the nozzle
    bool liftsBeforeStart = false;  // the customer lifts before START, on an authorisation still standing
    int hangUpAtPoll = -1;          // the customer hangs up at this poll, before the delivery's end (-1: at the end)
    int priceChangeAtPoll = -1;     // the host sets the grade's next price at this poll after START (-1: not)
    Stage restart = Stage::kNone;   // the host restarts: a new driver object on the same dispensers
    Stage powerCycle = Stage::kNone;
    bool displayReset = false;  // the power cycle leaves the display at zeros
};

// What a host does the same way in every sale.
struct HostHabits {
    unsigned runningReads = 0;    // running reads a poll while it polls
    bool waitsForFinish = false;  // polls for the finished report after the hang-up before the final read
    bool cancelsUnused = false;   // takes an unused authorisation back (switches the point off and on)
    bool retriesFinal = false;    // reads the final figures once more when they could not be read
};

// Events the soak counts, to show what its world held.
enum Event {
    kFillUp,
    kVolumePreset,
    kAmountPreset,
    kWalkAway,
    kLiftBeforeStart,
    kEarlyHangUp,
    kWaitedForFinish,
    kPriceChanged,
    kTakenBack,
    kRestart,                          // + stage - 1
    kPowerCycle = kRestart + kStages,  // + stage - 1
    kDisplayReset = kPowerCycle + kStages,
    kWideAmount = kDisplayReset + 1,  // an amount the six-digit field cannot carry
    kEvents
};
extern const char* const kEventNames[kEvents];
using EventCounts = std::array<unsigned, kEvents>;

}  // namespace soak
