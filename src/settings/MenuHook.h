// The settings entry under the host's dispenser menu, and what its click does.
#pragma once

#include "driver/TVM30.h"
#include "sbdriver/sbdriver.h"

namespace sb {

// Adds the entry under the sub-item captioned "&ТРК", on the first call in the process only.
void AddSettingsMenuEntry(TVM30& driver, SbMenuItem* menus, SbCreateMenuItem create);

// Runs the dialog on the driver's own settings; after OK they are in force at once and written to cnf.INI.
void OpenSettings(TVM30& driver);

}  // namespace sb
