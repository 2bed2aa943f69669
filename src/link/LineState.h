// The state of a point's line as slot 3 hands it to the host. The port service's own status byte is kept as it
// comes, so values other than the named ones pass through unchanged.
#pragma once

#include <cstdint>

namespace sb {

enum class LineState : uint8_t {
    Good = 1,             // the latest exchange was good
    LinkFailed = 2,       // the dispenser was not reached or did not answer
    FinalDataUnread = 3,  // the final figures of a delivery could not be read
};

}  // namespace sb
