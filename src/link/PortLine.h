// The host's port service as the link layer reaches it: one send-and-receive per exchange, the line's state
// after it, and the reception handler the port service calls during it.
#pragma once

#include <cstdint>

#include "sbdriver/sbdriver.h"

namespace sb {

class PortLine {
public:
    virtual ~PortLine() = default;

    virtual int32_t ErrorResult(uint8_t point) = 0;
    virtual uint8_t LineStatus(uint8_t point) = 0;
    // Sends buffer[0..sendCount) and has the answer written over buffer. 0 = success.
    virtual int32_t SendReceive(uint8_t point, uint8_t* buffer, uint8_t sendCount, uint8_t replySize) = 0;
    virtual void SetReceiveHandler(uint8_t point, SbReceiveHandler handler) = 0;
};

}  // namespace sb
