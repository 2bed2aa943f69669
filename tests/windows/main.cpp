// The Windows test host: loads sbdriver.dll as a 32-bit Windows host does, lends it a port service with
// simulated dispensers, and checks the version resource, the calling contract, the results, the failures, the
// files, a delivery, a soak of many deliveries, the menu entry with its settings dialog and the alert window.
// Prints one PASS or FAIL line per check; exits with 1 when any check failed.
// With --menu-without-dispenser it checks only that a first menu hook without the dispenser menu adds nothing:
// the hook acts on its first call in a process only.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "AlertChecks.h"
#include "Check.h"
#include "DeliveryChecks.h"
#include "EntryPointChecks.h"
#include "FailureChecks.h"
#include "HostFailureChecks.h"
#include "HostSetup.h"
#include "LogFileChecks.h"
#include "MenuHookChecks.h"
#include "SettingsDialogChecks.h"
#include "SettingsFile.h"
#include "SlotResultChecks.h"
#include "SoakChecks.h"
#include "StackWordChecks.h"
#include "UiDriving.h"
#include "VersionChecks.h"

using namespace wintest;

namespace {

int Summary() {
    const int failures = Failures();
    std::printf("%s: %d failed\n", failures == 0 ? "ALL PASSED" : "FAILED", failures);
    std::fflush(stdout);
    return failures == 0 ? 0 : 1;
}

int CheckMenuWithoutDispenser() {
    sbsim::SimPortService lines;
    TestPort port(lines.port());
    HostSetup host;
    host.window = CreateHostWindow();
    host.port = &port;
    host.lines = &lines;
    if (LoadDriver(host) && CreateDriver(host)) CheckNoEntryWithoutDispenserMenu(host);
    return Summary();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--menu-without-dispenser") == 0) return CheckMenuWithoutDispenser();

    // The driver writes its log beside this program; only this run's lines shall be in it.
    DeleteFileA(LogFilePath().c_str());
    SettingsFile settings;

    sbsim::SimPortService lines;
    for (uint32_t point : {kSlotPoint, kFailurePoint}) lines.Attach(point);
    sbsim::PointConfig slowFlow;
    slowFlow.flowPerPoll = 20;  // 0.2 l per line poll: the running delivery lasts long enough to be read
    lines.Attach(kDeliveryPoint, slowFlow);
    sbsim::PointConfig t10;
    t10.linkUnit = true;
    lines.Attach(kT10Point, t10);
    TestPort port(lines.port());

    HostSetup host;
    host.window = CreateHostWindow();
    host.port = &port;
    host.lines = &lines;

    CheckProbeControls();
    CheckVersionResource();
    if (LoadDriver(host) && CreateDriver(host)) {
        // Slot 24 first: the stack word checks call it too, and only the first call in a process counts.
        TestMenuItem menus("");
        TestMenuItem* settingsEntry = CheckMenuEntryAdded(host, menus);
        CheckSettingsFromWindowsDirectory(host, settings);
        CheckDescription(host);
        CheckLineResult(host);
        CheckCapabilities(host);
        CheckSlotStackWords(host);
        CheckStatusRecord(host);
        CheckAbstractSlot(host);
        CheckSerialIOReachesHost(host);
        CheckPortFailuresAbsorbed(host);
        CheckHostCatchesDriverFailures(host);
        CheckDelivery(host);
        CheckLogFile();
        CheckLogRotation(host);
        CheckSoak(host);
        // Last: the dialog changes the driver's settings.
        if (settingsEntry != nullptr) {
            CheckSettingsDialog(host, *settingsEntry, settings);
            CheckAlertOnUnsavedSettings(host, *settingsEntry, settings);
        }
    }
    return Summary();
}
