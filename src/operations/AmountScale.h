// The amount scale SDec, read once per operation. A scale of 0 (a cnf.INI that says so) gives amounts of 0 (see
// operations/ReplyDecoders.h) and one log line, never an infinity.
#pragma once

#include <cstdint>

#include "operations/Station.h"

namespace sb {

class AmountScale {
public:
    explicit AmountScale(Station& station) : sdec_(station.SDec) {}

    int32_t Value() const { return sdec_; }
    // The one line that says the point's amounts are taken as 0, when the scale is 0.
    void TraceIfZero(uint8_t point) const;

private:
    int32_t sdec_;
};

}  // namespace sb
