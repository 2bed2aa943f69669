#include "driver/TVM30.h"

#include "common/Failure.h"
#include "link/PortExchange.h"
#include "platform/Boundary.h"
#include "settings/MenuHook.h"

namespace sb {
namespace {

constexpr const char* kNoPortService = "Порт-сервис не передан драйверу";

int32_t SB_CALL ConfigureLineHandler(void* self, uint32_t point) {
    // Called by the host's port service: nothing of ours may travel into its frames.
    try {
        return IsPoint(point & 0xFFu)
                   ? TVM30::From(static_cast<SbDriver*>(self)).ConfigureLine(static_cast<uint8_t>(point))
                   : -1;
    } catch (...) {
        platform::PassThreadEnd();
        return -1;
    }
}

uint32_t SB_CALL ReceivedBytes(void* self, uint32_t point, const uint8_t* bytes, uint32_t /*unused*/, uint8_t* count,
                               uint8_t* replySize) {
    // Called from inside the host's port service: nothing of ours may travel into its frames.
    try {
        const uint8_t received = count != nullptr ? *count : 0;
        if (!IsPoint(point) || (bytes == nullptr && received > 0)) return 1;
        LinkContext& link = TVM30::From(static_cast<SbDriver*>(self)).LinkOf(static_cast<uint8_t>(point));
        return PortReceived(link, bytes, received, replySize != nullptr ? *replySize : 0) ? 1 : 0;
    } catch (...) {
        platform::PassThreadEnd();
        return 1;
    }
}

void SB_CALL SettingsClick(void* self, SbMenuItem*) {
    OpenSettings(TVM30::From(static_cast<SbDriver*>(self)).Settings);
}

}  // namespace

TVM30::TVM30(const SbDriverVtbl& slots, SbPortService* port, const std::string& settingsPath)
    : SbDriver{&slots},
      HostPort(port, SbReceiveHandler{&ReceivedBytes, static_cast<SbDriver*>(this)}),
      Station(ForLink),
      Settings(*this, settingsPath) {}

int32_t TVM30::OpenLine(uint8_t point) {
    if (Port.Missing(point)) RaiseSerialIO(SystemText(kNoPortService), SB_REASON_NO_PORT_SERVICE);
    Point(point).MasterResetPending = true;
    Port.SetLineSetupHandler(point, LineSetupHandler());
    return ConfigureLine(point);
}

int32_t TVM30::ConfigureLine(uint8_t point) {
    const uint32_t speedCode = Point(point).T10Line ? SB_T10_SPEED_CODE : static_cast<uint32_t>(Baud.Load());
    return Port.Configure(point, speedCode);
}

// The host knows this object by its SbDriver part (which need not lie at the start of the object): the handlers
// are bound to that.
SbLineSetupHandler TVM30::LineSetupHandler() {
    return SbLineSetupHandler{&ConfigureLineHandler, static_cast<SbDriver*>(this)};
}

SbMenuClickHandler TVM30::SettingsClickHandler() {
    return SbMenuClickHandler{&SettingsClick, static_cast<SbDriver*>(this)};
}

}  // namespace sb
