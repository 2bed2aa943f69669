// One whole preset delivery, as a station controller runs it: price and preset, the totals before, the
// customer lifting the nozzle, START, the running figures, the final figures and the totals after.
#pragma once

#include <cstdint>

#include "host/lines/PointSession.h"
#include "host/program/DeliveryOrder.h"

namespace sbhost {

// Whoever stands at the dispenser: the simulator acts at once, a real customer is asked to.
// The object telling what the customer is asked to do or does: "lift" a nozzle or "hang" it up.
JsonObject CustomerJson(uint32_t point, const char* action, int32_t nozzle);

class Customer {
public:
    virtual ~Customer() = default;
    virtual void LiftNozzle(int32_t grade) = 0;
    virtual void HangNozzle() = 0;
};

struct DeliveryOutcome {
    Figures final;
    Figures before;  // totals of the grade
    Figures after;
    bool stopped = false;  // the delivery ran to its end and the point came back to idle
};

// Tells every step on the session's output. The line must be open.
DeliveryOutcome RunDelivery(PointSession& session, const DeliveryOrder& order, Customer& customer);

// The totals of the grade grew by exactly the final figures (to the hundredth), all three read.
bool TotalsGrewByFinal(const DeliveryOutcome& outcome);

}  // namespace sbhost
