// A port service object that hands every slot on to another port service object, as a host's wrapper around a
// port does. A service derived from it redefines the slots it changes; the others reach the next object as they
// came.
#pragma once

#include "line/PortServiceAdapter.h"

namespace sbline {

template <typename Service>
class PortServiceForwarder : public PortServiceAdapter<Service> {
public:
    int32_t ErrorResult(uint32_t point) { return next_->vtbl->ErrorResult(next_, point); }
    uint32_t LineStatus(uint32_t point) { return next_->vtbl->LineStatus(next_, point); }
    int32_t SendReceive(uint32_t point, uint8_t* send, uint32_t sendCount, uint8_t* receive, uint32_t replySize,
                        uint32_t zero) {
        return next_->vtbl->SendReceive(next_, point, send, sendCount, receive, replySize, zero);
    }
    int32_t Configure(uint32_t point, uint32_t ten, uint32_t speedCode) {
        return next_->vtbl->Configure(next_, point, ten, speedCode);
    }
    void SetReceiveHandler(uint32_t point, SbReceiveHandler handler) {
        next_->vtbl->SetReceiveHandler(next_, point, handler);
    }
    void SetLineSetupHandler(uint32_t point, SbLineSetupHandler handler) {
        next_->vtbl->SetLineSetupHandler(next_, point, handler);
    }

protected:
    explicit PortServiceForwarder(SbPortService* next) : next_(next) {}

private:
    SbPortService* next_;
};

}  // namespace sbline
