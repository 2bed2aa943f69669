#include "SoakChecks.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Check.h"
#include "soak/SoakHost.h"

namespace wintest {
namespace {

// The library's pauses are real here (a quiet time before every exchange, a wait after START, a second of lock
// repeats for each running read before a delivery began, five for a line that babbles), so the points run at
// once and each makes few deliveries: about two hundred in all, in about a minute.
constexpr uint32_t kSeed = 424242;  // the draw that once found a phantom sale
constexpr unsigned kDeliveries = 6;
// Threads left running would use what CheckSoak holds: past this the program ends.
constexpr DWORD kHostsWaitMs = 150000;

uint64_t NowMs() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

struct HostThread {
    const soak::Target* target = nullptr;
    const soak::World* world = nullptr;
    uint32_t point = 0;
    soak::Counts counts;
};

DWORD WINAPI RunHostThread(LPVOID argument) {
    auto& host = *static_cast<HostThread*>(argument);
    host.counts = soak::RunHost(*host.target, host.point, kSeed, kDeliveries, *host.world);
    return 0;
}

}  // namespace

void CheckSoak(HostSetup& host) {
    if (host.setFailureMode == nullptr || host.getLastFailure == nullptr) return;  // told by LoadDriver
    // SB_SOAK_WORLD as for the native soak; its hosts do not restart, the library making one object per process.
    soak::World world;
    const char* worldName = std::getenv("SB_SOAK_WORLD");
    if (!Expect(soak::ParseWorld(worldName != nullptr ? worldName : "", &world), "soak: SB_SOAK_WORLD names a world"))
        return;
    // The library makes one driver object per process, on the port service lent first: the soak's dispensers
    // replace those of the earlier checks on that port's lines.
    soak::AttachDispensers(*host.lines, world);
    host.setFailureMode(host.driver, SB_FAILURES_RETURN);  // each host thread asks for its own call's failure
    soak::Target target;
    target.slots = &host.Slots();
    target.object = host.driver;
    target.lines = host.lines;
    target.failed = [&host](const std::function<void()>& call) {
        call();
        return host.getLastFailure(nullptr) != 0;
    };
    // A structured exception from the port service, as a host language raises it: the library absorbs it
    // and fails the exchange. (A C++ exception cannot cross the library's frames.)
    target.failPort = [&host](unsigned n) { host.port->RaiseOnExchanges(n); };
    target.clockMs = &NowMs;
    target.readsAfterToldStart = false;  // else one such delivery alone takes minutes

    const uint64_t started = NowMs();
    std::vector<HostThread> hosts(soak::kPoints);
    std::vector<HANDLE> threads;
    for (uint32_t point = 1; point <= soak::kPoints; ++point) {
        HostThread& thread = hosts[point - 1];
        thread.target = &target;
        thread.world = &world;
        thread.point = point;
        HANDLE handle = CreateThread(nullptr, 0, &RunHostThread, &thread, 0, nullptr);
        if (handle != nullptr) threads.push_back(handle);
    }
    const bool finished =
        WaitForMultipleObjects(static_cast<DWORD>(threads.size()), threads.data(), TRUE, kHostsWaitMs) == WAIT_OBJECT_0;
    // A thread that did not start leaves its point's deliveries missing from the count below.
    if (!Expect(finished, "soak: the host threads finish")) {
        std::fflush(stdout);
        ExitProcess(1);
    }
    for (HANDLE handle : threads) CloseHandle(handle);
    host.setFailureMode(host.driver, SB_FAILURES_RAISE);
    const uint64_t seconds = (NowMs() - started + 500) / 1000;

    soak::Counts counts;
    for (const HostThread& thread : hosts) counts.Add(thread.counts);
    const std::string summary = "seed " + std::to_string(kSeed) + ", world " + world.name + ", " +
                                counts.Summary("ms") + "; " + std::to_string(seconds) + " s";
    ExpectEqual(counts.deliveries, soak::kPoints * kDeliveries, "soak: every host made its deliveries");
    // Most deliveries sell despite the faults, so the comparison is not an empty one.
    Expect(counts.sales > counts.deliveries / 2, "soak: most deliveries sell");
    std::string wrong;
    for (const std::string& example : counts.examples) wrong += "\n  wrong: " + example;
    // As the native soak: every outcome counts, START's truth too, unless SB_SOAK_STRICT=0.
    const char* strict = std::getenv("SB_SOAK_STRICT");
    Expect(counts.Wrong(strict != nullptr && *strict == '0') == 0,
           "soak: every accepted delivery carries the dispenser's own sale", summary + wrong);
}

}  // namespace wintest
