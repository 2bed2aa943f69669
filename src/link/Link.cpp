#include "link/Link.h"

namespace sb {

Link::Link(PortLine& port, ResetRequests* resets) : port_(port), resets_(resets) {
    for (uint8_t point = 0; point <= kPointCount; ++point) {
        points_[point].point_ = point;
        points_[point].link_ = this;
    }
}

PortLine& LinkContext::Port() const { return link_->Port(); }

ResetRequests* LinkContext::Resets() const { return link_->Resets(); }

}  // namespace sb
