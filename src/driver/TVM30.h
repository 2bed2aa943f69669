// The driver object a host gets from the entry points: the host's method table pointer first, then the
// settings file's path, the host's port service, the position table and the settings. The host's window
// belongs to the user-interface thread (platform/UserInterface.h), not to the object.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "driver/PortService.h"
#include "driver/PositionTable.h"
#include "sbdriver/sbdriver.h"
#include "settings/DriverSettings.h"

namespace sb {

class TVM30 : public SbDriver {
public:
    // Builds the object with the settings read from the file at settingsPath.
    TVM30(SbPortService* port, const std::string& settingsPath);
    TVM30(const TVM30&) = delete;
    TVM30& operator=(const TVM30&) = delete;

    static TVM30& From(SbDriver* self) { return *static_cast<TVM30*>(self); }

    FillingPoint& Point(uint8_t point) { return Points[point]; }

    // The settings as they stand now, for writing back to cnf.INI.
    DriverSettings CurrentSettings() const;
    void ApplySettings(const DriverSettings& settings);

    // Configures the point's line: speed code 0x07000960 on a T10 line, else Baud; returns port slot 17's answer.
    int32_t ConfigureLine(uint8_t point);

    std::string SettingsFilePath;  // cnf.INI, read at construction and written by the settings dialog
    PortService Port;
    PositionTable Points;
    std::atomic<int32_t> Baud{2400};
    std::atomic<int32_t> SDec{100};
    std::atomic<int32_t> PDec{100};
    // Set until the first call of the menu hook; with one driver object per process it is the process's flag.
    std::atomic<bool> MenuPending{true};
};

// The handlers bound to a driver object that the port service calls back.
SbReceiveHandler ReceiveHandlerOf(TVM30& driver);
SbLineSetupHandler LineSetupHandlerOf(TVM30& driver);

}  // namespace sb
