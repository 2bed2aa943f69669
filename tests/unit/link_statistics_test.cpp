// A point's link statistics as the host reads them, after a scripted MASTER RESET that meets every fault.
#include <gtest/gtest.h>

#include "link/ExchangeBudget.h"
#include "link/LineBytes.h"
#include "link/PortExchange.h"
#include "operations/MaintenanceMessages.h"
#include "support/LineScript.h"
#include "support/SimDriver.h"

namespace {

using sbtest::Block;
using sbtest::kDle0;
using sbtest::kDle1;
using sbtest::kEot;
using sbtest::kNak;

TEST(LinkStatistics, EveryEventIsCountedOnceAndTheLastAnswerTimed) {
    sbtest::SimDriver sim;
    sim.port.Attach(1);
    sim.clock.RunOnSleeps();  // each exchange's 20 ms pause moves the clock on
    sbsim::Bytes corrupted = Block("0180");
    corrupted[2] ^= 0x01;
    sbtest::LineScript line(sim.Script());
    // The MASTER RESET: a select nobody answers, then a block answered NAK, sent again, and EOT; its reply is a
    // corrupted wait answer asked for again, a refusal and a reset request, whose confirmation goes out and
    // brings nothing; then the reply after it: nothing.
    line.Answer(kEot).Answer({}).Answer(kEot).Answer(kDle0).Answer(kNak).Answer(kDle1).Answer({});
    line.Answer(corrupted).Answer(Block("0180")).Answer(kEot).Answer(Block("0190")).Answer(kEot);
    line.Answer(Block("01?0")).Answer(kEot).TakeRequest(6).Nothing(3).Nothing(3);
    sb::MasterReset(sim.Driver(), 1);
    ASSERT_EQ(sim.Sent().size(), 24u);
    ASSERT_EQ(sim.log.Count("Подтверждение RESET(1)"), 1u);

    // An exchange that fails at the port, and one call that runs out of exchanges twice.
    uint8_t buffer[256] = {sb::line::EOT, '0', sb::line::ENQ};
    sim.port.ThrowOnExchanges(1);
    EXPECT_TRUE(sb::PortExchange(sim.Link(1), buffer, 3, sb::line::kPollReplySize).Failed());
    {
        const sb::CallBudget call;
        for (uint32_t i = 0; i < sb::kExchangesPerCall; ++i) sb::TakeExchange();
        sb::PortExchange(sim.Link(1), buffer, 3, sb::line::kPollReplySize);
        sb::PortExchange(sim.Link(1), buffer, 3, sb::line::kPollReplySize);
    }

    SbLinkStatistics stats{};
    stats.size = sizeof stats;
    ASSERT_EQ(SbGetLinkStatistics(sim.Object(), 1, &stats), sizeof stats);
    EXPECT_EQ(stats.size, sizeof stats);
    EXPECT_EQ(stats.exchanges, 25u);
    EXPECT_EQ(stats.answers, 20u);  // 22 awaited one (not the two EOTs): one came corrupted, one never
    EXPECT_EQ(stats.noAnswers, 1u);
    EXPECT_EQ(stats.naksReceived, 1u);
    EXPECT_EQ(stats.naksSent, 1u);
    EXPECT_EQ(stats.badChecks, 1u);
    EXPECT_EQ(stats.waits, 1u);
    EXPECT_EQ(stats.refusals, 1u);
    EXPECT_EQ(stats.resends, 1u);
    EXPECT_EQ(stats.resetsAsked, 1u);
    EXPECT_EQ(stats.resetsSent, 1u);  // the confirmation is no reset of the driver's own
    EXPECT_EQ(stats.exchangeLimits, 1u);
    EXPECT_EQ(stats.lastAnswerUs, 24u * 20000u);  // the 24th exchange's poll, answered EOT
    EXPECT_EQ(stats.nowUs, 25u * 20000u);
    EXPECT_EQ(sim.Link(2).Stats.Exchanges, 0u) << "another point's counts are its own";
}

}  // namespace
