// The host's window that the driver's windows belong to, as AttachUiThread recorded it.
#pragma once

#include <windows.h>

namespace sb::platform::win32 {

// The host's window, or nullptr when none was given or it is no window one can own another by (the desktop).
HWND OwnerWindow();

}  // namespace sb::platform::win32
