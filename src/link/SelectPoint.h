#pragma once

#include <cstdint>

#include "link/LinkContext.h"

namespace sb {

// Gets the dispenser ready to receive: polls it, drains (or confirms a reset request of) whatever it still has
// to say, then selects it. True when it answered ready. A reset request found on the way is handed to the
// link's ResetRequests.
bool SelectPoint(LinkContext& link);

}  // namespace sb
