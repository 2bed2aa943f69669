// Calls into the host's port service object through its method table. The host owns the object and the lines;
// the driver names line n by filling point n.
#pragma once

#include <cstdint>

#include "sbdriver/sbdriver.h"

namespace sb {

class PortService {
public:
    static constexpr uint32_t kConfigureTen = 10;

    explicit PortService(SbPortService* port) : port_(port) {}

    SbPortService* Object() const { return port_; }

    int32_t ErrorResult(uint8_t point) const;                                                         // slot 1
    uint8_t LineStatus(uint8_t point) const;                                                          // slot 4
    int32_t SendReceive(uint8_t point, uint8_t* buffer, uint8_t sendCount, uint8_t replySize) const;  // 16
    int32_t Configure(uint8_t point, uint32_t speedCode) const;                                       // slot 17
    void SetReceiveHandler(uint8_t point, SbReceiveHandler handler) const;                            // slot 19
    void SetLineSetupHandler(uint8_t point, SbLineSetupHandler handler) const;                        // slot 21

private:
    SbPortService* port_;
};

}  // namespace sb
