#include "driver/PortService.h"

namespace sb {

int32_t PortService::ErrorResult(uint8_t point) const { return port_->vtbl->ErrorResult(port_, point); }

uint8_t PortService::LineStatus(uint8_t point) const {
    return static_cast<uint8_t>(port_->vtbl->LineStatus(port_, point) & 0xFFu);
}

int32_t PortService::SendReceive(uint8_t point, uint8_t* buffer, uint8_t sendCount, uint8_t replySize) const {
    return port_->vtbl->SendReceive(port_, point, buffer, sendCount, buffer, replySize, 0);
}

int32_t PortService::Configure(uint8_t point, uint32_t speedCode) const {
    return port_->vtbl->Configure(port_, point, kConfigureTen, speedCode);
}

void PortService::SetReceiveHandler(uint8_t point, SbReceiveHandler handler) const {
    port_->vtbl->SetReceiveHandler(port_, point, handler);
}

void PortService::SetLineSetupHandler(uint8_t point, SbLineSetupHandler handler) const {
    port_->vtbl->SetLineSetupHandler(port_, point, handler);
}

}  // namespace sb
