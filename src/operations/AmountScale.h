// Amounts from the dispenser in money units: digits divided by the amount scale SDec, read once per operation.
// A scale of 0 (a cnf.INI that says so) gives amounts of 0 and one log line, never an infinity.
#pragma once

#include <cstdint>

#include "operations/Station.h"

namespace sb {

class AmountScale {
public:
    AmountScale(Station& station, uint8_t point);

    double Of(double digits) const { return sdec_ != 0 ? digits / sdec_ : 0; }

private:
    int32_t sdec_;
};

}  // namespace sb
