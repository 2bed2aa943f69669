// Whole deliveries on 32 points under random line faults (soak/SoakHost.h): every accepted delivery must carry the
// dispenser's own sale. Two halves:
// - SoakWorld: each point its own driver object and line (support/SoakPoint.h), so a seed and a point give the
//   same exchanges, faults and outcomes on every run, and each wrong delivery prints the command that replays it.
//   SB_SOAK_WORLD chooses the world (soak::ParseWorld; "classic" by default), SB_SOAK_POINTS the points ("1 5").
// - Soak: one driver object and port service shared by a host thread per point, as a station runs them: the
//   threads meet on the driver's locks and the line's (TSan watches them); its figures do not reproduce.
// SB_SOAK_DELIVERIES sets the deliveries per point, SB_SOAK_SEEDS the draws run in turn; scripts/soak.sh runs a
// long soak.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "common/Cp1251.h"
#include "soak/SoakHost.h"
#include "support/SimDriver.h"
#include "support/SoakPoint.h"

namespace {

unsigned long FromEnvironment(const char* name, unsigned long otherwise) {
    const char* text = std::getenv(name);
    return text != nullptr && *text != '\0' ? std::strtoul(text, nullptr, 10) : otherwise;
}

std::string TextFromEnvironment(const char* name, const char* otherwise) {
    const char* text = std::getenv(name);
    return text != nullptr && *text != '\0' ? text : otherwise;
}

// Numbers apart by spaces; "random" draws one.
std::vector<uint32_t> Numbers(const std::string& text) {
    std::istringstream list(text);
    std::vector<uint32_t> numbers;
    for (std::string word; list >> word;) {
        numbers.push_back(word == "random" ? std::random_device{}() : static_cast<uint32_t>(std::stoul(word)));
    }
    return numbers;
}

std::vector<uint32_t> Seeds() { return Numbers(TextFromEnvironment("SB_SOAK_SEEDS", "424242 16 18 20")); }

std::vector<uint32_t> Points() {
    std::vector<uint32_t> points = Numbers(TextFromEnvironment("SB_SOAK_POINTS", ""));
    if (points.empty()) {
        for (uint32_t point = 1; point <= soak::kPoints; ++point) points.push_back(point);
    }
    return points;
}

std::string ThisProgram() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string("sbtests") : self.string();
}

// Each point in a world of its own, the points run side by side on as many threads as the machine has cores.
soak::Counts SoakApart(const soak::World& world, uint32_t seed, unsigned deliveries,
                       const std::vector<uint32_t>& points) {
    sbtest::NoWaiting clock;
    sbtest::QuietLog quiet;
    const std::string program = ThisProgram();
    std::vector<soak::Counts> perPoint(points.size());
    std::atomic<size_t> next{0};
    const auto work = [&] {
        for (size_t at = next++; at < points.size(); at = next++) {
            const uint32_t point = points[at];
            sbtest::SoakPoint own(soak::SetupOf(world, point), point);
            own.target().traceDriverLines = &sbtest::TraceDriverLines;
            own.target().replayCommand = [&](uint32_t replayed, unsigned delivery) {
                return "SB_SOAK_WORLD=" + world.name + " SB_SOAK_SEEDS=" + std::to_string(seed) +
                       " SB_SOAK_POINTS=" + std::to_string(replayed) +
                       " SB_SOAK_DELIVERIES=" + std::to_string(delivery) + " " + program +
                       " --gtest_filter=SoakWorld.EveryAcceptedDeliveryCarriesTheDispensersOwnSale";
            };
            perPoint[at] = soak::RunHost(own.target(), point, seed, deliveries, world);
            perPoint[at].digest = own.digest();
        }
    };
    std::vector<std::thread> workers;
    for (unsigned n = std::max(1u, std::thread::hardware_concurrency()); n > 0; --n) workers.emplace_back(work);
    for (std::thread& worker : workers) worker.join();
    soak::Counts counts;
    for (const soak::Counts& point : perPoint) counts.Add(point);
    return counts;
}

// Every point's host on its own thread, all on one driver object and port service.
soak::Counts SoakShared(uint32_t seed, unsigned deliveries) {
    sbtest::SimDriver sim;
    soak::AttachDispensers(sim.port);
    sbtest::NoWaiting clock;  // after the driver's recording clock, so it is the one in use
    sbtest::QuietLog quiet;
    soak::Target target;
    target.slots = &sim.Slots();
    target.object = sim.Object();
    target.lines = &sim.port;
    target.failed = &sbtest::FailsNatively;
    target.failPort = [&sim](unsigned n) { sim.port.ThrowOnExchanges(n); };
    target.clockMs = &sbtest::PausedMs;
    target.traceDriverLines = &sbtest::TraceDriverLines;

    std::vector<soak::Counts> perHost(soak::kPoints);
    std::vector<std::thread> hosts;
    for (uint32_t point = 1; point <= soak::kPoints; ++point) {
        hosts.emplace_back([&, point] { perHost[point - 1] = soak::RunHost(target, point, seed, deliveries); });
    }
    for (std::thread& host : hosts) host.join();
    soak::Counts counts;
    for (const soak::Counts& host : perHost) counts.Add(host);
    return counts;
}

void Report(const char* what, uint32_t seed, const soak::Counts& counts) {
    std::printf("%s, SB_SOAK_SEEDS=%u: %s\n", what, seed, counts.Summary("ms of driver pauses").c_str());
    for (size_t i = 0; i < counts.examples.size() && i < 8; ++i) {
        std::printf("  wrong: %s\n", sb::ToUtf8(counts.examples[i]).c_str());
    }
    std::fflush(stdout);  // each seed's figures as soon as it ends: a long soak is watched from its output file
}

// strict: every wrong delivery fails; otherwise those the driver is known to make today are only printed.
void ExpectSound(const soak::Counts& counts, unsigned expected, uint32_t seed, bool strict) {
    EXPECT_EQ(counts.deliveries, expected) << seed;
    // Most deliveries sell despite the faults, so the comparison is not an empty one.
    EXPECT_GT(counts.sales, counts.deliveries / 2) << seed;
    EXPECT_EQ(counts.Wrong(!strict), 0u) << seed;
}

// Every outcome counts, START's truth too; SB_SOAK_STRICT=0 leaves the START-denied outcome out of the count.
bool Strict() { return FromEnvironment("SB_SOAK_STRICT", 1) != 0; }

void SoakWorld(const std::string& worldName, unsigned deliveries, bool strict) {
    soak::World world;
    ASSERT_TRUE(soak::ParseWorld(worldName, &world)) << worldName;
    const std::vector<uint32_t> points = Points();
    for (const uint32_t seed : Seeds()) {
        const soak::Counts counts = SoakApart(world, seed, deliveries, points);
        Report(("soak, world " + world.name).c_str(), seed, counts);
        ExpectSound(counts, static_cast<unsigned>(points.size()) * deliveries, seed, strict);
    }
}

TEST(SoakWorld, EveryAcceptedDeliveryCarriesTheDispensersOwnSale) {
    SoakWorld(TextFromEnvironment("SB_SOAK_WORLD", "classic"),
              static_cast<unsigned>(FromEnvironment("SB_SOAK_DELIVERIES", 6)), Strict());
}

// Fill-ups, price changes, restarts, power cycles and amounts wider than the field.
TEST(SoakWorld, WideWorldEveryAcceptedDeliveryCarriesTheDispensersOwnSale) {
    SoakWorld("wide", static_cast<unsigned>(FromEnvironment("SB_SOAK_DELIVERIES", 6)), true);
}

TEST(SoakWorld, ASeedReproducesItsExchangesAndOutcomes) {
    soak::World world;
    ASSERT_TRUE(soak::ParseWorld("wide", &world));
    const std::vector<uint32_t> points{1, 8, 16};
    const soak::Counts first = SoakApart(world, 7, 12, points);
    const soak::Counts again = SoakApart(world, 7, 12, points);
    EXPECT_EQ(first.digest, again.digest);
    EXPECT_EQ(first.outcomes, again.outcomes);
    EXPECT_EQ(first.faults, again.faults);
    EXPECT_EQ(first.events, again.events);
    EXPECT_NE(first.digest, SoakApart(world, 8, 12, points).digest);
}

TEST(Soak, EveryAcceptedDeliveryCarriesTheDispensersOwnSale) {
    const auto deliveries = static_cast<unsigned>(FromEnvironment("SB_SOAK_DELIVERIES", 6));
    for (const uint32_t seed : Seeds()) {
        const soak::Counts counts = SoakShared(seed, deliveries);
        Report("soak, one driver shared", seed, counts);
        ExpectSound(counts, soak::kPoints * deliveries, seed, Strict());
    }
}

}  // namespace
