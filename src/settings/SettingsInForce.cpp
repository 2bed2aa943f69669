#include "settings/SettingsInForce.h"

#include <utility>

namespace sb {

SettingsInForce::SettingsInForce(StationState& state, std::string filePath)
    : FilePath(std::move(filePath)), state_(state) {
    Apply(LoadSettings(FilePath));
}

DriverSettings SettingsInForce::Current() const {
    DriverSettings settings;
    settings.Baud = state_.Baud;
    settings.SDec = state_.SDec;
    settings.PDec = state_.PDec;
    for (int line = 1; line <= DriverSettings::kT10Lines; ++line) settings.T10Line[line] = state_.Points[line].T10Line;
    return settings;
}

void SettingsInForce::Apply(const DriverSettings& settings) {
    state_.Baud = settings.Baud;
    state_.SDec = settings.SDec;
    state_.PDec = settings.PDec;
    for (int line = 1; line <= DriverSettings::kT10Lines; ++line) state_.Points[line].T10Line = settings.T10Line[line];
}

}  // namespace sb
