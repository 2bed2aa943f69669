#include <gtest/gtest.h>

#include "sim/Dispenser.h"
#include "unit/sim_client.h"

namespace sbsim {
namespace {

const std::string kStatusRequest = OnChannel('1', "0000ZD0000");

TEST(SimFaults, SilenceSwallowsExchangesWithoutAdvancingTheDispenser) {
    Dispenser dispenser;
    dispenser.point().LiftNozzle(1);
    dispenser.faults().SilenceExchanges(2);
    EXPECT_TRUE(Poll(dispenser).empty());
    EXPECT_TRUE(Select(dispenser).empty());
    EXPECT_FALSE(dispenser.link().selected());
    const Bytes report = Poll(dispenser);  // the lift's report is still the first thing pending
    EXPECT_EQ(ParseBlock(report).data.substr(13, 3), "101");
}

TEST(SimFaults, NakedBlocksAreDroppedAndTheMessageArrivesOnce) {
    Dispenser dispenser;
    dispenser.faults().NakDataBlocks(2);
    const Bytes block = FrameBlock(kStatusRequest, true);
    Select(dispenser);
    EXPECT_EQ(Hex(dispenser.Exchange(block)), "15");
    EXPECT_EQ(Hex(dispenser.Exchange(block)), "15");
    EXPECT_EQ(Hex(dispenser.Exchange(block)), "10 31");
    EXPECT_EQ(dispenser.point().received().size(), 1u);
}

TEST(SimFaults, WaitAnswersComeBeforeThePendingReply) {
    Dispenser dispenser;
    ASSERT_TRUE(SendMessage(dispenser, kStatusRequest));
    dispenser.faults().AnswerPollsWithWait(2);
    const Bytes wait = Poll(dispenser);
    EXPECT_EQ(Hex(wait), "02 30 31 38 30 03 0A");
    EXPECT_EQ(Hex(Acknowledge(dispenser, '0')), "04");
    EXPECT_EQ(ReceiveMessage(dispenser), "0180");
    EXPECT_EQ(ReceiveMessage(dispenser).size(), kStatusReportLength);
}

TEST(SimFaults, RefusedRequestIsNotCarriedOut) {
    Dispenser dispenser;
    dispenser.faults().RefuseRequests(1);
    EXPECT_EQ(Ask(dispenser, OnChannel('1', "0001ZD0101J4590000100K10000")), "0190");
    EXPECT_FALSE(dispenser.point().lastStart().has_value());
    EXPECT_EQ(dispenser.point().received().size(), 1u);  // logged all the same
    EXPECT_EQ(Ask(dispenser, OnChannel('1', "0001ZD0101J4590000100K10000")).size(), 4u);
    EXPECT_TRUE(dispenser.point().lastStart().has_value());
}

TEST(SimFaults, CorruptedBlockFailsItsCheckAndItsRepetitionIsIntact) {
    Dispenser dispenser;
    ASSERT_TRUE(SendMessage(dispenser, kStatusRequest));
    dispenser.faults().CorruptNextBlock(Corruption{0, 0x01});
    const Bytes corrupted = Poll(dispenser);
    EXPECT_FALSE(ParseBlock(corrupted).wellFormed);
    EXPECT_EQ(corrupted[1], '1');  // "0" XOR 0x01
    const Bytes repeated = dispenser.Exchange(Bytes{kNak});
    const ParsedBlock intact = ParseBlock(repeated);
    EXPECT_TRUE(intact.wellFormed);
    EXPECT_EQ(intact.data[0], '0');
    EXPECT_EQ(repeated.size(), corrupted.size());
}

TEST(SimFaults, CorruptionDefaultsToTheLastDataByte) {
    Dispenser dispenser;
    ASSERT_TRUE(SendMessage(dispenser, kStatusRequest));
    dispenser.faults().CorruptNextBlock();
    const Bytes corrupted = Poll(dispenser);
    const Bytes intact = dispenser.Exchange(Bytes{kNak});
    ASSERT_EQ(corrupted.size(), intact.size());
    for (std::size_t i = 0; i < intact.size(); ++i)
        EXPECT_EQ(corrupted[i] != intact[i], i == intact.size() - 3) << "byte " << i;
}

TEST(SimFaults, GarbledAnswerReplacesTheLineBytesOnly) {
    Dispenser dispenser;
    ASSERT_TRUE(SendMessage(dispenser, kStatusRequest));
    dispenser.faults().GarbleNextAnswer(Bytes{0xFF, 0x00, 0x7E});
    EXPECT_EQ(Hex(Poll(dispenser)), "FF 00 7E");
    // The dispenser sent its first block and waits for its acknowledgement.
    EXPECT_EQ(Hex(Acknowledge(dispenser, '0')), "04");
    EXPECT_TRUE(dispenser.link().queued().empty());
}

TEST(SimFaults, ScriptedAnswersBypassTheDispenser) {
    Dispenser dispenser;
    dispenser.faults().ScriptAnswer(Bytes{kDle, '1'});
    dispenser.faults().ScriptAnswer(Bytes{});
    dispenser.faults().ScriptAnswer(FrameBlock("01?0", true));
    EXPECT_EQ(Hex(Poll(dispenser)), "10 31");
    EXPECT_TRUE(dispenser.Exchange(FrameBlock(kStatusRequest, true)).empty());
    EXPECT_EQ(Hex(Poll(dispenser)), "02 30 31 3F 30 03 0D");
    EXPECT_TRUE(dispenser.point().received().empty());
    EXPECT_EQ(Hex(Poll(dispenser)), "04");  // script used up: the dispenser answers again
}

}  // namespace
}  // namespace sbsim
