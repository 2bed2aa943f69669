#pragma once

#include <cstdint>
#include <optional>

#include "link/LinkContext.h"
#include "link/PortExchange.h"
#include "link/ResetRequest.h"

namespace sb {

// Gets the dispenser ready to receive: polls it, drains whatever it still has to say, then selects it.
class Selection {
public:
    explicit Selection(LinkContext& link);
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

    // Runs the selection on. A reset request found while draining is returned with the selection paused right
    // after it, to go on at the next Run once the caller confirmed it; nothing once the selection ended, Ready()
    // then telling whether the dispenser answered ready.
    std::optional<ResetRequest> Run();
    bool Ready() const { return ready_; }

private:
    // Keeps the data of a reply the selection drains, when it is one well-checked block (link/LinkContext.h).
    void KeepDrainedReply();

    LinkContext& link_;
    uint8_t buffer_[kExchangeBufferSize] = {};
    int cycles_ = 0;
    bool pausedAtReset_ = false;
    bool ready_ = false;
};

}  // namespace sb
