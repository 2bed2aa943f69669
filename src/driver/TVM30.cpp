#include "driver/TVM30.h"

#include "driver/HostMethodTable.h"
#include "link/PortExchange.h"
#include "platform/Boundary.h"

namespace sb {
namespace {
int32_t SB_CALL ConfigureLineHandler(void* self, uint32_t point) {
    // Called by the host's port service: nothing of ours may travel into its frames.
    try {
        return IsPoint(point & 0xFFu) ? static_cast<TVM30*>(self)->ConfigureLine(static_cast<uint8_t>(point)) : -1;
    } catch (...) {
        platform::PassThreadEnd();
        return -1;
    }
}
}  // namespace

TVM30::TVM30(SbPortService* port, const std::string& settingsPath)
    : SbDriver{&HostMethodTable()}, SettingsFilePath(settingsPath), Port(port) {
    ApplySettings(LoadSettings(SettingsFilePath));
}

DriverSettings TVM30::CurrentSettings() const {
    DriverSettings settings;
    settings.Baud = Baud;
    settings.SDec = SDec;
    settings.PDec = PDec;
    for (int line = 1; line <= DriverSettings::kT10Lines; ++line) settings.T10Line[line] = Points[line].T10Line;
    return settings;
}

void TVM30::ApplySettings(const DriverSettings& settings) {
    Baud = settings.Baud;
    SDec = settings.SDec;
    PDec = settings.PDec;
    for (int line = 1; line <= DriverSettings::kT10Lines; ++line) Points[line].T10Line = settings.T10Line[line];
}

int32_t TVM30::ConfigureLine(uint8_t point) {
    const uint32_t speedCode = Point(point).T10Line ? SB_T10_SPEED_CODE : static_cast<uint32_t>(Baud.load());
    return Port.Configure(point, speedCode);
}

SbReceiveHandler ReceiveHandlerOf(TVM30& driver) { return SbReceiveHandler{&PortReceivedHandler, &driver}; }

SbLineSetupHandler LineSetupHandlerOf(TVM30& driver) { return SbLineSetupHandler{&ConfigureLineHandler, &driver}; }

}  // namespace sb
