// A port service whose send-and-receive fails on every data block, as a broken line driver might; everything
// else goes on to the wrapped port.
#pragma once

#include "line/PortServiceForwarder.h"
#include "sbdriver/sbdriver.h"

namespace sbtest {

struct DataBlocksFailPort : sbline::PortServiceForwarder<DataBlocksFailPort> {
    static constexpr int32_t kFailure = -3;

    explicit DataBlocksFailPort(SbPortService* wrapped) : PortServiceForwarder(wrapped) {}

    int32_t SendReceive(uint32_t point, uint8_t* send, uint32_t count, uint8_t* receive, uint32_t size, uint32_t zero) {
        if (send[0] == 0x02) {
            ++failures;
            return kFailure;
        }
        return PortServiceForwarder::SendReceive(point, send, count, receive, size, zero);
    }

    int failures = 0;
};

}  // namespace sbtest
