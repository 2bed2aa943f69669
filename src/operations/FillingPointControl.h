// Switching a filling point on or off (FILLING POINT CONTROL).
#pragma once

#include <cstdint>

#include "operations/Station.h"

namespace sb {

// Sends FILLING POINT CONTROL with "1" for switchOn other than 0, else "0".
void SendFillingPointControl(Station& station, uint8_t point, uint8_t switchOn);

// Switches the point on unless switchOn is 0 or a finished delivery (states 0xD0..0xD6) waits to be taken.
void SwitchOnUnlessFinished(Station& station, uint8_t point, uint8_t switchOn);

}  // namespace sb
