#include "soak/SoakJudge.h"

namespace soak {

const char* const kOutcomeNames[kOutcomes] = {"accepted",
                                              "told",
                                              "apart",
                                              "lost sale",
                                              "phantom sale",
                                              "other figures",
                                              "START untold",
                                              "START says not started while the pump is authorised",
                                              "shown started after the power took the authorisation",
                                              "shown not started while the pump is authorised"};

bool IsWrong(Outcome outcome) { return outcome >= kLostSale; }

Outcome Judge(const DeliveryFacts& facts) {
    // Either way an answer that a corruption unseen by the block check made into another (an acknowledgement into
    // a refusal, a refusal into another answer) is apart: a limit of the line.
    if (facts.startTold && facts.startCarriedOut && facts.authorisedAfterStart)
        return facts.unseenHere ? kApart : kStartDenied;
    // The host believes the pump authorised: START returned and the point was shown started throughout.
    if (!facts.startTold && !facts.startCarriedOut && facts.shownStarted && facts.reached)
        return facts.unseenHere ? kApart : kStartUntold;
    if (facts.unpoweredShownStarted) return kStartedUnpowered;
    // A host shown the point not started takes the pump for free: the next customer pumps on this START.
    if (facts.shownNotStarted) return facts.unseenHere ? kApart : kStartForgotten;
    if (facts.told || facts.lineResult != 1) return kTold;
    if (facts.read == facts.sold && facts.readAmount == facts.soldAmount) return kAccepted;
    if (facts.unseen) return kApart;
    return facts.read == 0 ? kLostSale : facts.sold == 0 ? kPhantomSale : kOtherFigures;
}

}  // namespace soak
