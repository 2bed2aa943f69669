// The library as a host finds it: loaded by name, both entry points exported plain and decorated, each
// removing its own arguments, and the settings taken from cnf.INI in the Windows directory.
#include "EntryPointChecks.h"

#include "Check.h"
#include "EspProbe.h"
#include "SettingsFile.h"
#include "Structured.h"

namespace wintest {
namespace {

template <typename Fn>
Fn Export(HMODULE library, const char* name) {
    auto address = GetProcAddress(library, name);
    Expect(address != nullptr, std::string("sbdriver.dll exports ") + name);
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(address));
}

}  // namespace

bool LoadDriver(HostSetup& host) {
    host.library = LoadLibraryA("sbdriver.dll");
    if (host.library == nullptr) {
        Report(false, "LoadLibrary finds and loads sbdriver.dll", "error " + std::to_string(GetLastError()));
        return false;
    }
    Report(true, "LoadLibrary finds and loads sbdriver.dll");
    host.getVM30 = Export<GetVM30Fn>(host.library, "GetVM30");
    host.getDriver25 = Export<GetDriver25Fn>(host.library, "GetDriver25");
    host.setFailureMode = Export<SetFailureModeFn>(host.library, "SbSetFailureMode");
    host.getLastFailure = Export<GetLastFailureFn>(host.library, "SbGetLastFailure");
    host.getLinkStatistics = Export<GetLinkStatisticsFn>(host.library, "SbGetLinkStatistics");
    auto decoratedVM30 = Export<GetVM30Fn>(host.library, "GetVM30@12");
    auto decoratedDriver25 = Export<GetDriver25Fn>(host.library, "GetDriver25@32");
    Expect(decoratedVM30 == host.getVM30 && decoratedDriver25 == host.getDriver25,
           "the decorated exports are the same functions as the plain ones");
    return host.getVM30 != nullptr && host.getDriver25 != nullptr;
}

bool CreateDriver(HostSetup& host) {
    constexpr uint32_t kArg1 = 0x12345678;  // only its low byte reaches the constructor, which ignores it
    const HWND owner = host.window;
    uint32_t removed = 0;
    EXCEPTION_RECORD caught{};
    SbDriver* driver = nullptr;
    const bool raised = RaisesStructured(
        [&] { driver = CallProbed(host.getVM30, &removed, kArg1, owner, static_cast<SbPortService*>(host.port)); },
        &caught);
    if (!Expect(!raised, "GetVM30 returns normally")) return false;
    ExpectEqual(removed, 12u, "GetVM30 removes 12 bytes (3 words)");
    if (!Expect(driver != nullptr && driver->vtbl != nullptr, "GetVM30 returns a driver object with a method table")) {
        return false;
    }
    host.driver = driver;

    SbDriver* twin = nullptr;
    const bool twinRaised = RaisesStructured(
        [&] {
            twin = CallProbed(host.getDriver25, &removed, kArg1, owner, static_cast<SbPortService*>(host.port),
                              0xDEADBEEFu, 1u, 2u, 3u, 4u);
        },
        &caught);
    if (Expect(!twinRaised, "GetDriver25 returns normally")) {
        ExpectEqual(removed, 32u, "GetDriver25 removes 32 bytes (8 words)");
        Expect(twin != nullptr && twin->vtbl == driver->vtbl,
               "GetDriver25 returns a driver object with the same method table");
    }
    return true;
}

void CheckSettingsFromWindowsDirectory(HostSetup& host, const SettingsFile& settings) {
    if (!Expect(settings.Written(), "cnf.INI written to the Windows directory before GetVM30", settings.Path())) {
        return;
    }
    const SbDriverVtbl& slots = host.Slots();
    slots.OpenLine(host.driver, kDeliveryPoint);
    slots.OpenLine(host.driver, kT10Point);
    constexpr int kConfigureSlot = 17;
    const sbsim::SlotCall ordinary = host.LastPortCall(kConfigureSlot, kDeliveryPoint);
    ExpectEqual(ordinary.arg2, SettingsFile::kBaud,
                "slot 16 configures an ordinary line with Baud from section SB of cnf.INI");
    ExpectEqual(ordinary.arg1, 10u, "slot 16 hands the port 10 with the speed code");
    ExpectEqual(host.LastPortCall(kConfigureSlot, kT10Point).arg2, static_cast<uint32_t>(SB_T10_SPEED_CODE),
                "slot 16 configures the line marked T10_8=1 in cnf.INI with the T10 speed code");
}

}  // namespace wintest
