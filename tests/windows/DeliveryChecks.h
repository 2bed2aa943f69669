// One delivery on the simulated dispenser, driven through the slots as a host drives it: price and preset,
// START, status polls through the delivery, the running and the final figures, and the totalizers.
#pragma once

#include "HostSetup.h"

namespace wintest {

void CheckDelivery(HostSetup& host);

}  // namespace wintest
