#include "link/Link.h"

#include "link/PortExchange.h"
#include "platform/Boundary.h"

namespace sb {

Link::Link(PortLine& port, ResetRequests* resets) : port_(port), resets_(resets) {
    for (uint8_t point = 0; point <= kPointCount; ++point) {
        points_[point].point_ = point;
        points_[point].link_ = this;
    }
}

PortLine& LinkContext::Port() const { return link_->Port(); }

ResetRequests* LinkContext::Resets() const { return link_->Resets(); }

SbReceiveHandler LinkContext::ReceiveHandler() const { return link_->ReceiveHandler(); }

uint32_t SB_CALL Link::ReceivedBytes(void* self, uint32_t point, const uint8_t* bytes, uint32_t /*unused*/,
                                     uint8_t* count, uint8_t* replySize) {
    // Called from inside the host's port service: nothing of ours may travel into its frames.
    try {
        const uint8_t received = count != nullptr ? *count : 0;
        if (!IsPoint(point) || (bytes == nullptr && received > 0)) return 1;
        LinkContext& link = (*static_cast<Link*>(self))[static_cast<uint8_t>(point)];
        return PortReceived(link, bytes, received, replySize != nullptr ? *replySize : 0) ? 1 : 0;
    } catch (...) {
        platform::PassThreadEnd();
        return 1;
    }
}

}  // namespace sb
