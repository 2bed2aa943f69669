// The Windows test host: loads sbdriver.dll as a 32-bit Windows host does, lends it a port service with
// simulated dispensers, and checks the calling contract, the results, the failures, the files and a delivery.
// Prints one PASS or FAIL line per check; exits with 1 when any check failed.
#include <windows.h>

#include <cstdio>

#include "Check.h"
#include "DeliveryChecks.h"
#include "EntryPointChecks.h"
#include "FailureChecks.h"
#include "HostSetup.h"
#include "LogFileChecks.h"
#include "SettingsFile.h"
#include "SlotResultChecks.h"
#include "StackWordChecks.h"

using namespace wintest;

int main() {
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
    host.port = &port;
    host.lines = &lines;

    CheckProbeControls();
    if (LoadDriver(host) && CreateDriver(host)) {
        CheckSettingsFromWindowsDirectory(host, settings);
        CheckDescription(host);
        CheckLineResult(host);
        CheckCapabilities(host);
        CheckSlotStackWords(host);
        CheckStatusRecord(host);
        CheckAbstractSlot(host);
        CheckSerialIOReachesHost(host);
        CheckPortFailuresAbsorbed(host);
        CheckDelivery(host);
        CheckLogFile();
    }

    const int failures = Failures();
    std::printf("%s: %d failed\n", failures == 0 ? "ALL PASSED" : "FAILED", failures);
    std::fflush(stdout);
    return failures == 0 ? 0 : 1;
}
