// The explorer (explore/Explorer.h). The whole run is scripts/explore.sh (Explorer.DISABLED_Everything); the suite
// runs a sample. SB_EXPLORE_CASE runs one named case with its trace; SB_EXPLORE_STEP, SB_EXPLORE_WINDOW and
// SB_EXPLORE_SCRIPTS bound the whole run.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/Cp1251.h"
#include "explore/Explorer.h"
#include "support/SoakPoint.h"

namespace {

std::string FromEnvironment(const char* name, const char* otherwise) {
    const char* text = std::getenv(name);
    return text != nullptr && *text != '\0' ? text : otherwise;
}

explore::Exploration ExploreAndPrint(const explore::Bounds& bounds) {
    sbtest::NoWaiting clock;
    sbtest::QuietLog quiet;
    const auto started = std::chrono::steady_clock::now();
    explore::Exploration exploration = explore::Explore(bounds);
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - started).count();
    std::printf("explored (every %zu. exchange, pairs within %zu exchanges) in %lld s:\n%s", bounds.step,
                bounds.pairWindow, static_cast<long long>(seconds), exploration.Summary().c_str());
    for (const std::string& wrong : exploration.firstWrong)
        std::printf("  first wrong: %s\n", sb::ToUtf8(wrong).c_str());
    std::fflush(stdout);
    return exploration;
}

// A fault at an exchange where it cannot happen would be a case that tests nothing; the same case twice gives
// the same exchanges, so a named case replays exactly.
TEST(Explorer, PlacesEachFaultWhereItCanHappenAndReplaysACaseExactly) {
    sbtest::NoWaiting clock;
    sbtest::QuietLog quiet;
    explore::Case run;
    ASSERT_TRUE(explore::ParseCase("fill-up: no fault", &run));
    const explore::CaseResult clean = explore::RunCase(run, false);
    ASSERT_GT(clean.exchanges.size(), 20u);
    size_t nak = 0;
    while (nak < clean.exchanges.size() && !explore::Applies(explore::kNak, clean.exchanges[nak])) ++nak;
    ASSERT_LT(nak, clean.exchanges.size());
    ASSERT_TRUE(explore::ParseCase("fill-up: nak@" + std::to_string(nak) + " + port@" + std::to_string(nak + 3), &run));
    EXPECT_EQ(explore::Describe(run), "fill-up: nak@" + std::to_string(nak) + " + port@" + std::to_string(nak + 3));
    const explore::CaseResult faulted = explore::RunCase(run, false);
    EXPECT_EQ(faulted.exchanges[nak].answer, (sbsim::Bytes{sbsim::kNak}));
    EXPECT_TRUE(faulted.exchanges[nak + 3].portFailed);
    const explore::CaseResult again = explore::RunCase(run, false);
    ASSERT_EQ(again.exchanges.size(), faulted.exchanges.size());
    for (size_t i = 0; i < again.exchanges.size(); ++i)
        EXPECT_EQ(again.exchanges[i].answer, faulted.exchanges[i].answer);
    EXPECT_EQ(again.outcome, faulted.outcome);
    EXPECT_FALSE(explore::ParseCase("no such script: nak@1", &run));
    EXPECT_FALSE(explore::ParseCase("fill-up: nak@x", &run));
}

// No sampled placement in any script may end wrong.
TEST(Explorer, NoSampledPlacementEndsWrong) {
    explore::Bounds bounds;
    bounds.step = 37;
    EXPECT_EQ(ExploreAndPrint(bounds).Total().Wrong(), 0u);
}

// Placements a full run once found wrong (a read's late refusal; START blocks refused on two channels).
TEST(Explorer, PlacementsOnceFoundWrongEndRight) {
    sbtest::NoWaiting clock;
    sbtest::QuietLog quiet;
    for (const char* name :
         {"two walk-aways on grade 6: refusal@14 + port@15", "walk-away: lost-answer@4 + lost-answer@6"}) {
        explore::Case run;
        ASSERT_TRUE(explore::ParseCase(name, &run)) << name;
        EXPECT_FALSE(soak::IsWrong(explore::RunCase(run, false).outcome)) << name;
    }
}

TEST(Explorer, DISABLED_Everything) {
    const std::string only = FromEnvironment("SB_EXPLORE_CASE", "");
    if (!only.empty()) {
        sbtest::NoWaiting clock;
        sbtest::QuietLog quiet;
        explore::Case run;
        ASSERT_TRUE(explore::ParseCase(only, &run)) << only;
        const explore::CaseResult result = explore::RunCase(run, true);
        std::printf("%s: %s\n%s\n", only.c_str(), soak::kOutcomeNames[result.outcome],
                    sb::ToUtf8(result.example).c_str());
        EXPECT_FALSE(soak::IsWrong(result.outcome));
        return;
    }
    explore::Bounds bounds;
    bounds.step = std::stoul(FromEnvironment("SB_EXPLORE_STEP", "1"));
    bounds.pairWindow = std::stoul(FromEnvironment("SB_EXPLORE_WINDOW", "4"));
    bounds.scripts = FromEnvironment("SB_EXPLORE_SCRIPTS", "");
    bounds.progress = [](const std::string& line) {
        std::printf("done: %s", line.c_str());
        std::fflush(stdout);
    };
    EXPECT_EQ(ExploreAndPrint(bounds).Total().Wrong(), 0u);
}

}  // namespace
