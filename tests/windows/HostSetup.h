// What the check groups of the test host share: the loaded library, the driver object it handed out and the
// port service lent to it.
#pragma once

#include <windows.h>

#include <string>

#include "TestPort.h"
#include "sbdriver/sbdriver.h"
#include "sim/SimPortService.h"

namespace wintest {

using GetVM30Fn = decltype(&GetVM30);
using GetDriver25Fn = decltype(&GetDriver25);
using SetFailureModeFn = decltype(&SbSetFailureMode);
using GetLastFailureFn = decltype(&SbGetLastFailure);
using GetLinkStatisticsFn = decltype(&SbGetLinkStatistics);

// Filling points, one per group, so that no group sees another's traffic or state.
constexpr uint32_t kDeliveryPoint = 1;
constexpr uint32_t kSlotPoint = 2;
constexpr uint32_t kFailurePoint = 3;
constexpr uint32_t kT10Point = 8;  // cnf.INI marks its line as carrying a T10 unit

struct HostSetup {
    HWND window = nullptr;  // the host's main window, handed to the entry points
    HMODULE library = nullptr;
    GetVM30Fn getVM30 = nullptr;
    GetDriver25Fn getDriver25 = nullptr;
    SetFailureModeFn setFailureMode = nullptr;
    GetLastFailureFn getLastFailure = nullptr;
    GetLinkStatisticsFn getLinkStatistics = nullptr;
    SbDriver* driver = nullptr;
    TestPort* port = nullptr;                // lent to the driver
    sbsim::SimPortService* lines = nullptr;  // behind the port: the simulated dispensers and the call record

    const SbDriverVtbl& Slots() const { return *driver->vtbl; }
    // Calls of a port slot for a point so far, and the last one's arguments.
    int PortCalls(int slot, uint32_t point) const;
    sbsim::SlotCall LastPortCall(int slot, uint32_t point) const;
};

// This program's path with its extension replaced by ".pro": where the driver keeps its log.
std::string LogFilePath();

// The system's text in Windows-1251, as the driver writes it.
std::string Cp1251(const char* utf8);

}  // namespace wintest
