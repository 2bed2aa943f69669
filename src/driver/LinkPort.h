// The port service as the link talks through it: the host's object, reached through the driver's PortService,
// and the driver's reception handler (bound to the driver object), which goes to slot 19 before every exchange.
#pragma once

#include <cstdint>

#include "driver/PortService.h"
#include "link/PortLine.h"
#include "sbdriver/sbdriver.h"

namespace sb {

class LinkPort final : public PortLine {
public:
    LinkPort(PortService& port, SbReceiveHandler receive) : port_(port), receive_(receive) {}
    LinkPort(const LinkPort&) = delete;
    LinkPort& operator=(const LinkPort&) = delete;

    int32_t ErrorResult(uint8_t point) override { return port_.ErrorResult(point); }
    uint8_t LineStatus(uint8_t point) override { return port_.LineStatus(point); }
    int32_t SendReceive(uint8_t point, uint8_t* buffer, uint8_t sendCount, uint8_t replySize) override {
        return port_.SendReceive(point, buffer, sendCount, replySize);
    }
    void InstallReceiveHandler(uint8_t point) override { port_.SetReceiveHandler(point, receive_); }

private:
    PortService& port_;
    SbReceiveHandler receive_;
};

}  // namespace sb
