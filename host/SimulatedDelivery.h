// A whole delivery driven through the loaded library against a simulated dispenser, told step by step.
#pragma once

#include <cstdint>
#include <ostream>

#include "host/DriverLibrary.h"

namespace sbhost {

struct DeliveryOrder {
    uint32_t point = 1;
    int32_t grade = 2;
    double price = 45.90;
    double volume = 5.0;  // litres; 0 for an amount preset
    double amount = 0;    // money units, used when volume is 0
};

// 0 when the delivery ran to its end with figures equal to the dispenser's.
int RunSimulatedDelivery(const DriverLibrary& library, const DeliveryOrder& order, std::ostream& out);

}  // namespace sbhost
