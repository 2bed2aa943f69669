// How a delivery is judged, by the soak and the explorer alike: what the host was told and took, against what the
// simulated dispenser did meanwhile. Accepted: the host took the dispenser's own figures. Told: a call failed or
// the final read's line result is not 1. Apart: other figures after a corruption the block check cannot see (a
// limit of the line). Every other outcome is wrong.
#pragma once

#include <cstdint>

namespace soak {

enum Outcome {
    kAccepted,
    kTold,
    kApart,
    kLostSale,          // the dispenser sold, the host took 0
    kPhantomSale,       // the host took figures of a sale the dispenser never ran
    kOtherFigures,      // both sold and took, but not the same figures
    kStartUntold,       // START returned, the point was shown started, the dispenser never carried it out
    kStartDenied,       // START said "not started" while the dispenser was authorised by it
    kStartedUnpowered,  // after the dispenser lost its authorisation with the power, still shown started
    kStartForgotten,    // START returned, the dispenser stood authorised by it, and a poll showed it not started
    kOutcomes
};
extern const char* const kOutcomeNames[kOutcomes];

bool IsWrong(Outcome outcome);

// Figures in hundredths of a litre and in the dispenser's amount units.
struct DeliveryFacts {
    bool startTold = false;              // START failed
    bool startCarriedOut = false;        // the dispenser carried out this START
    bool authorisedAfterStart = false;   // and still stood authorised by it when START returned
    bool shownStarted = false;           // every poll that reached the dispenser showed the point started
    bool reached = false;                // some poll reached the dispenser
    bool unpoweredShownStarted = false;  // the power took the authorisation, the point kept showing started
    bool shownNotStarted = false;        // a poll showed idle or a lifted nozzle while this START's authorisation stood
    bool told = false;                   // some call of the delivery failed
    uint32_t lineResult = 0;             // of the final read
    int64_t read = 0, readAmount = 0;    // what the host took
    int64_t sold = 0, soldAmount = 0;    // what the dispenser's totals grew by
    bool unseenHere = false;             // a corruption the block check cannot see came in this delivery
    bool unseen = false;                 // ... or in the one whose final figures the previous-sale lock compares with
};

Outcome Judge(const DeliveryFacts& facts);

}  // namespace soak
