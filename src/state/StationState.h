// What the operations keep and read of the driver: the position table and the settings in force. The settings
// dialog may change the settings while exchanges read them.
#pragma once

#include <cstdint>

#include "common/Relaxed.h"
#include "state/PositionTable.h"

namespace sb {

struct StationState {
    PositionTable Points;
    Relaxed<int32_t> Baud = 2400;  // the line speed, or the speed code the host's port service takes
    Relaxed<int32_t> SDec = 100;   // amount units per money unit
    Relaxed<int32_t> PDec = 100;   // price units per money unit
};

}  // namespace sb
