#include "driver/PortService.h"

#include <string>

#include "common/Cp1251.h"
#include "link/LineState.h"
#include "logging/Log.h"

namespace sb {
namespace {

constexpr int32_t kNoPortResult = -1;

}  // namespace

bool PortService::Missing(uint8_t point) const {
    const SbPortService* port = Object();
    if (port != nullptr && port->vtbl != nullptr) return false;
    if (!missingTold_.exchange(true)) {
        static const SystemText kMissing("Порт-сервис не передан драйверу (точка ");
        static const SystemText kConsequence("): обмен с ТРК невозможен");
        WriteLog(kLevelCritical, kMissing.cp1251 + std::to_string(point) + kConsequence.cp1251);
    }
    return true;
}

bool PortService::Install(SbPortService* port) {
    SbPortService* current = Object();
    while (current == nullptr || current->vtbl == nullptr) {
        if (port_.compare_exchange_weak(current, port, std::memory_order_acq_rel)) return true;
    }
    return false;
}

int32_t PortService::ErrorResult(uint8_t point) const {
    SbPortService* port = Lent(point);
    return port != nullptr ? port->vtbl->ErrorResult(port, point) : kNoPortResult;
}

uint8_t PortService::LineStatus(uint8_t point) const {
    SbPortService* port = Lent(point);
    if (port == nullptr) return static_cast<uint8_t>(LineState::LinkFailed);
    return static_cast<uint8_t>(port->vtbl->LineStatus(port, point) & 0xFFu);
}

int32_t PortService::SendReceive(uint8_t point, uint8_t* buffer, uint8_t sendCount, uint8_t replySize) const {
    SbPortService* port = Lent(point);
    return port != nullptr ? port->vtbl->SendReceive(port, point, buffer, sendCount, buffer, replySize, 0)
                           : kNoPortResult;
}

int32_t PortService::Configure(uint8_t point, uint32_t speedCode) const {
    SbPortService* port = Lent(point);
    return port != nullptr ? port->vtbl->Configure(port, point, kConfigureTen, speedCode) : kNoPortResult;
}

void PortService::SetReceiveHandler(uint8_t point, SbReceiveHandler handler) const {
    if (SbPortService* port = Lent(point)) port->vtbl->SetReceiveHandler(port, point, handler);
}

void PortService::SetLineSetupHandler(uint8_t point, SbLineSetupHandler handler) const {
    if (SbPortService* port = Lent(point)) port->vtbl->SetLineSetupHandler(port, point, handler);
}

}  // namespace sb
