// One whole preset delivery as the command line orders it (--point, --grade, --price, --volume, --amount).
#pragma once

#include <cstdint>

namespace sbhost {

struct DeliveryOrder {
    uint32_t point = 1;
    int32_t grade = 2;
    double price = 45.90;
    double volume = 5.0;  // litres; 0 for an amount preset
    double amount = 0;    // money units, used when volume is 0
};

}  // namespace sbhost
