// Loading sbdriver.dll and obtaining the driver object, as a host does.
#pragma once

#include "HostSetup.h"

namespace wintest {

class SettingsFile;

// LoadLibrary and GetProcAddress of both entry points, plain and decorated, and of the failure-mode calls.
bool LoadDriver(HostSetup& host);

// GetVM30 and GetDriver25 through the stack probe; host.driver is GetVM30's object.
bool CreateDriver(HostSetup& host);

// The lines opened by slot 16 get the speed that cnf.INI in the Windows directory sets.
void CheckSettingsFromWindowsDirectory(HostSetup& host, const SettingsFile& settings);

}  // namespace wintest
