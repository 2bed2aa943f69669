#include "operations/AmountScale.h"

#include "logging/PointTrace.h"

namespace sb {

AmountScale::AmountScale(Station& station, uint8_t point) : sdec_(station.SDec) {
    if (sdec_ == 0) WriteLog(kLevelTrace, PointTrace("SDec=0(", point) + ": amount taken as 0");
}

}  // namespace sb
