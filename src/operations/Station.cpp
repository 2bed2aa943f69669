#include "operations/Station.h"

#include "operations/MaintenanceMessages.h"

namespace sb {

void Station::ResetRequested(LinkContext& link, uint8_t first, uint8_t channel) {
    ConfirmReset(*this, link.Point(), first, channel);
}

}  // namespace sb
