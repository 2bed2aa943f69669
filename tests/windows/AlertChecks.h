// The alert window through the driver's own critical path: settings confirmed with OK that cannot be written.
#pragma once

#include "HostSetup.h"
#include "SettingsFile.h"
#include "TestMenu.h"

namespace wintest {

// cnf.INI is made a directory for the while, so that writing it fails.
void CheckAlertOnUnsavedSettings(HostSetup& host, TestMenuItem& entry, const SettingsFile& file);

}  // namespace wintest
