// A port service whose send-and-receive fails on every data block, as a broken line driver might; everything
// else goes on to the wrapped port.
#pragma once

#include "sbdriver/sbdriver.h"

namespace sbtest {

struct DataBlocksFailPort {
    static constexpr int32_t kFailure = -3;

    explicit DataBlocksFailPort(SbPortService* wrapped) : inner(wrapped), table(*wrapped->vtbl) {
        table.SendReceive = &SendReceive;
        base.vtbl = &table;
    }

    static int32_t SB_CALL SendReceive(SbPortService* self, uint32_t point, uint8_t* send, uint32_t count,
                                       uint8_t* receive, uint32_t size, uint32_t zero) {
        auto* port = reinterpret_cast<DataBlocksFailPort*>(self);
        if (send[0] == 0x02) {
            ++port->failures;
            return kFailure;
        }
        return port->inner->vtbl->SendReceive(port->inner, point, send, count, receive, size, zero);
    }

    SbPortService base;  // first: the driver's pointer to the port is a pointer to this object
    SbPortService* inner;
    SbPortServiceVtbl table;
    int failures = 0;
};

}  // namespace sbtest
