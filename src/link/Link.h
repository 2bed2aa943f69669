// The link of every filling point over one port service: point n's context talks on the host's line n.
#pragma once

#include <array>
#include <cstdint>

#include "link/LinkContext.h"
#include "state/PositionTable.h"

namespace sb {

class Link {
public:
    explicit Link(PortLine& port);
    Link(const Link&) = delete;
    Link& operator=(const Link&) = delete;

    // The caller has checked IsPoint(point).
    LinkContext& operator[](uint8_t point) { return points_[point]; }

    PortLine& Port() const { return port_; }

private:
    PortLine& port_;
    std::array<LinkContext, kPointCount + 1> points_;
};

}  // namespace sb
