// The driver as the operations see it: the position table and the settings in force, and the link of every
// filling point over the host's port service.
#pragma once

#include <cstdint>

#include "link/Link.h"
#include "state/StationState.h"

namespace sb {

class Station : public StationState {
public:
    explicit Station(PortLine& port) : link_(port) {}

    // The caller has checked IsPoint(point).
    FillingPoint& Point(uint8_t point) { return Points[point]; }
    LinkContext& LinkOf(uint8_t point) { return link_[point]; }

private:
    Link link_;
};

}  // namespace sb
