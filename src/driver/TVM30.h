// The driver object a host gets from the entry points: the host's method table pointer first, then the host's
// port service, the station (position table, settings in force, the link of every point) and the settings
// file. The host's window belongs to the user-interface thread (platform/UserInterface.h), not to the object.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "driver/LinkPort.h"
#include "driver/PortService.h"
#include "operations/Station.h"
#include "sbdriver/sbdriver.h"
#include "settings/SettingsInForce.h"

namespace sb {

// The host's port service in a base of its own, so that it is built before the station that talks through it.
struct HostPort {
    HostPort(SbPortService* port, SbReceiveHandler receive) : Port(port), ForLink(Port, receive) {}
    PortService Port;
    LinkPort ForLink;  // Port with the driver's reception handler, as the station's link reaches it
};

class TVM30 final : public SbDriver, public HostPort, public Station {
public:
    // Builds the object the host calls through slots, with the settings read from the file at settingsPath.
    TVM30(const SbDriverVtbl& slots, SbPortService* port, const std::string& settingsPath);
    TVM30(const TVM30&) = delete;
    TVM30& operator=(const TVM30&) = delete;

    static TVM30& From(SbDriver* self) { return *static_cast<TVM30*>(self); }

    // Opens the point's line (slot 16): a MASTER RESET becomes due, the line-setup handler is installed and the
    // line configured; returns port slot 17's answer.
    int32_t OpenLine(uint8_t point);
    // Configures the point's line: speed code 0x07000960 on a T10 line, else Baud; returns port slot 17's answer.
    int32_t ConfigureLine(uint8_t point);
    // The line-setup handler bound to this object, which the port service calls back. The reception handler,
    // bound to this object too, is installed by the link before every exchange (HostPort::ForLink).
    SbLineSetupHandler LineSetupHandler();
    // The click handler of the settings menu entry, bound to this object.
    SbMenuClickHandler SettingsClickHandler();

    SettingsInForce Settings;
    // How the slots hand failures to the host (SB_FAILURES_RAISE or SB_FAILURES_RETURN, SbSetFailureMode).
    std::atomic<uint32_t> FailureMode{SB_FAILURES_RAISE};
    // Set until the first call of the menu hook; with one driver object per process it is the process's flag.
    std::atomic<bool> MenuPending{true};
};

}  // namespace sb
