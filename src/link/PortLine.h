// The host's port service as the link layer reaches it: one send-and-receive per exchange, the line's state
// after it, and the installing of the driver's reception handler, which the port service calls during it.
#pragma once

#include <cstdint>

namespace sb {

class PortLine {
public:
    virtual ~PortLine() = default;

    virtual int32_t ErrorResult(uint8_t point) = 0;
    virtual uint8_t LineStatus(uint8_t point) = 0;
    // Sends buffer[0..sendCount) and has the answer written over buffer. 0 = success.
    virtual int32_t SendReceive(uint8_t point, uint8_t* buffer, uint8_t sendCount, uint8_t replySize) = 0;
    // Hands the port service the driver's reception handler for the point's next send-and-receive; the handler
    // passes what arrived to PortReceived (link/PortExchange.h).
    virtual void InstallReceiveHandler(uint8_t point) = 0;
};

}  // namespace sb
