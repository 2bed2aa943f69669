// Whole deliveries on all 32 points at once, one host thread per point, with faults drawn at random into the
// lines (soak/SoakHost.h): every accepted delivery must carry the dispenser's own sale. SB_SOAK_DELIVERIES sets
// the deliveries per point, SB_SOAK_SEEDS the draws run in turn (the seeds that once found a phantom sale by
// default); scripts/soak.sh runs a long soak.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "common/Cp1251.h"
#include "logging/Log.h"
#include "platform/Clock.h"
#include "soak/SoakHost.h"
#include "support/SimDriver.h"

namespace {

thread_local uint64_t pausedMs = 0;
thread_local soak::StepTrace* hostTrace = nullptr;  // where the driver's lines on this host thread go

void TraceDriverLines(soak::StepTrace* trace) {
    hostTrace = trace;
    sb::TapThreadLines(
        trace == nullptr ? nullptr : +[](std::initializer_list<std::string_view> parts) { hostTrace->Add(parts); });
}

// Time that neither waits nor keeps anything; each host thread adds up the pauses its calls asked for.
class NoWaiting final : public sb::platform::TimeSource {
public:
    NoWaiting() : previous_(sb::platform::InstallTimeSource(this)) {}
    ~NoWaiting() override { sb::platform::InstallTimeSource(previous_); }
    sb::platform::TimeOfDay LocalTime() override { return {12, 0, 0, 0}; }
    void Sleep(uint32_t milliseconds) override { pausedMs += milliseconds; }

private:
    sb::platform::TimeSource* previous_;
};

unsigned long FromEnvironment(const char* name, unsigned long otherwise) {
    const char* text = std::getenv(name);
    return text != nullptr && *text != '\0' ? std::strtoul(text, nullptr, 10) : otherwise;
}

// The draws to run, from SB_SOAK_SEEDS (numbers apart by spaces); "random" draws one.
std::vector<uint32_t> Seeds() {
    const char* text = std::getenv("SB_SOAK_SEEDS");
    std::istringstream list(text != nullptr && *text != '\0' ? text : "424242 16 18 20");
    std::vector<uint32_t> seeds;
    for (std::string word; list >> word;) {
        seeds.push_back(word == "random" ? std::random_device{}() : static_cast<uint32_t>(std::stoul(word)));
    }
    return seeds;
}

soak::Counts Soak(uint32_t seed, unsigned deliveries) {
    sbtest::SimDriver sim;
    soak::AttachDispensers(sim.port);
    NoWaiting clock;  // after the driver's recording clock, so it is the one in use
    const std::string logFile = sb::ProcessLog().FileName();
    sb::ProcessLog().SetFileName("");  // a long run would write gigabytes

    soak::Target target;
    target.slots = &sim.Slots();
    target.object = sim.Object();
    target.lines = &sim.port;
    target.failed = [](const std::function<void()>& call) {
        try {
            call();
            return false;
        } catch (const sb::ESerialIO&) {
            return true;
        }
    };
    target.failPort = [&sim](unsigned n) { sim.port.ThrowOnExchanges(n); };
    target.clockMs = [] { return pausedMs; };
    target.traceDriverLines = &TraceDriverLines;

    std::vector<soak::Counts> perHost(soak::kPoints);
    std::vector<std::thread> hosts;
    for (uint32_t point = 1; point <= soak::kPoints; ++point) {
        hosts.emplace_back([&, point] { perHost[point - 1] = soak::RunHost(target, point, seed, deliveries); });
    }
    for (std::thread& host : hosts) host.join();
    sb::ProcessLog().SetFileName(logFile);
    soak::Counts counts;
    for (const soak::Counts& host : perHost) counts.Add(host);
    return counts;
}

TEST(Soak, EveryAcceptedDeliveryCarriesTheDispensersOwnSale) {
    const auto deliveries = static_cast<unsigned>(FromEnvironment("SB_SOAK_DELIVERIES", 6));
    for (const uint32_t seed : Seeds()) {
        const soak::Counts counts = Soak(seed, deliveries);
        std::printf("soak, SB_SOAK_SEEDS=%u: %s\n", seed, counts.Summary("ms of driver pauses").c_str());
        for (size_t i = 0; i < counts.examples.size() && i < 8; ++i) {
            std::printf("  wrong: %s\n", sb::ToUtf8(counts.examples[i]).c_str());
        }
        std::fflush(stdout);  // each seed's figures as soon as it ends: a long soak is watched from its output file
        EXPECT_EQ(counts.deliveries, soak::kPoints * deliveries) << seed;
        // Most deliveries sell despite the faults, so the comparison is not an empty one.
        EXPECT_GT(counts.sales, counts.deliveries / 2) << seed;
        EXPECT_EQ(counts.Wrong(), 0u) << seed;
    }
}

}  // namespace
