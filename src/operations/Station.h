// The driver as the operations see it: the position table and the settings in force, and the link of every
// filling point over the host's port service. A reset request a dispenser makes while the link polls or
// receives comes back here and is confirmed.
#pragma once

#include <cstdint>

#include "link/Link.h"
#include "state/StationState.h"

namespace sb {

class Station : public StationState, private ResetRequests {
public:
    explicit Station(PortLine& port) : link_(port, this) {}

    // The caller has checked IsPoint(point).
    FillingPoint& Point(uint8_t point) { return Points[point]; }
    LinkContext& LinkOf(uint8_t point) { return link_[point]; }

private:
    void ResetRequested(LinkContext& link, uint8_t first, uint8_t channel) override;

    Link link_;
};

}  // namespace sb
