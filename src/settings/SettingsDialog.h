// Running the settings dialog on a set of settings: which buttons it shows selected, and what OK makes of the
// operator's choice.
#pragma once

#include "platform/SettingsDialog.h"
#include "settings/DriverSettings.h"

namespace sb {

platform::SettingsChoice PresetChoice(const DriverSettings& settings);

// A scale group left without a selection keeps its value; the speed becomes 2400 or 9600.
void ApplyChoice(const platform::SettingsChoice& choice, DriverSettings& settings);

// True when the operator pressed OK; only then are the settings changed.
bool RunSettingsDialog(DriverSettings& settings);

}  // namespace sb
