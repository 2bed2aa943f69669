// The settings entry under the host's dispenser menu, and what its click does.
#pragma once

#include <atomic>

#include "sbdriver/sbdriver.h"
#include "settings/SettingsInForce.h"

namespace sb {

// Adds the entry under the sub-item captioned "&ТРК" with onClick as its click handler, on the first call
// only: pending is the flag of that first call.
void AddSettingsMenuEntry(std::atomic<bool>& pending, SbMenuClickHandler onClick, SbMenuItem* menus,
                          SbCreateMenuItem create);

// Runs the dialog on the settings; after OK they are in force at once and written to cnf.INI. Called from the
// host's menu dispatch: a failure of its own is logged as a critical line, nothing travels into the host.
void OpenSettings(SettingsInForce& settings);

}  // namespace sb
