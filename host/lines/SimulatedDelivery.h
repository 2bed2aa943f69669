// A whole delivery driven through the loaded library against a simulated dispenser, told step by step.
#pragma once

#include "host/lines/DeliveryStory.h"
#include "host/program/DriverLibrary.h"
#include "host/program/Output.h"

namespace sbhost {

// 0 when the delivery ran to its end with figures equal to the dispenser's.
int RunSimulatedDelivery(const DriverLibrary& library, const DeliveryOrder& order, Output& out);

}  // namespace sbhost
