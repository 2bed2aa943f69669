// The settings dialog opened through the driver's menu entry: its look, its preset from the driver's settings,
// the group click handlers, OK into the running driver and cnf.INI, Cancel changing nothing.
#pragma once

#include <windows.h>

#include <functional>

#include "HostSetup.h"
#include "SettingsFile.h"
#include "TestMenu.h"

namespace wintest {

// Clicks entry as the host's menu does, in this thread, while operator drives the dialog from a test thread.
// operator returns true when it closed the dialog; otherwise the dialog is cancelled for it.
void ClickSettingsEntry(TestMenuItem& entry, const std::function<bool(HWND dialog)>& operate);

// Runs with the driver holding the settings of SettingsFile (it is left with other ones).
void CheckSettingsDialog(HostSetup& host, TestMenuItem& entry, const SettingsFile& file);

}  // namespace wintest
