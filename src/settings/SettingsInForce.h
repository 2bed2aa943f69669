// A driver object's settings: the cnf.INI they are read from at construction and written to by the dialog,
// and the station state that holds them in force.
#pragma once

#include <string>

#include "settings/DriverSettings.h"
#include "state/StationState.h"

namespace sb {

class SettingsInForce {
public:
    // Reads the file and puts its settings in force.
    SettingsInForce(StationState& state, std::string filePath);

    DriverSettings Current() const;
    void Apply(const DriverSettings& settings);

    std::string FilePath;

private:
    StationState& state_;
};

}  // namespace sb
