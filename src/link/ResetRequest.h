// A dispenser's request for a reset, seen while the link polled or received: the first data byte of the block
// that carried it and the block's channel character. The operation that made the link call confirms it.
#pragma once

#include <cstdint>

namespace sb {

struct ResetRequest {
    uint8_t first = 0;
    uint8_t channel = 0;
};

}  // namespace sb
