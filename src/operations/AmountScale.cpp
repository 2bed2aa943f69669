#include "operations/AmountScale.h"

#include "state/PointTrace.h"

namespace sb {

void AmountScale::TraceIfZero(uint8_t point) const {
    if (sdec_ == 0) WriteLog(kLevelTrace, PointTrace("SDec=0(", point) + ": amount taken as 0");
}

}  // namespace sb
