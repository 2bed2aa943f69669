#include "link/Link.h"

namespace sb {

Link::Link(PortLine& port) : port_(port) {
    for (uint8_t point = 0; point <= kPointCount; ++point) {
        points_[point].point_ = point;
        points_[point].link_ = this;
    }
}

PortLine& LinkContext::Port() const { return link_->Port(); }

}  // namespace sb
