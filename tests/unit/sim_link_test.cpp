#include <gtest/gtest.h>

#include "sim/Dispenser.h"
#include "unit/sim_client.h"

namespace sbsim {
namespace {

const Bytes kEotOnly{kEot};

std::string StartMessage() { return OnChannel('1', "0001ZD0102J4590002000K10000"); }

TEST(SimLink, AnswersPollSelectAndEndOfTransmission) {
    Dispenser dispenser;
    EXPECT_EQ(Hex(Poll(dispenser)), "04");
    EXPECT_EQ(Hex(Select(dispenser)), "10 30");
    EXPECT_TRUE(dispenser.link().selected());
    EXPECT_TRUE(dispenser.Exchange(kEotOnly).empty());
    EXPECT_FALSE(dispenser.link().selected());
    EXPECT_EQ(Hex(Acknowledge(dispenser, '0')), "04");  // nothing of ours awaits an acknowledgement
}

TEST(SimLink, CollectsAMessageFromAlternatelyAcknowledgedBlocks) {
    Dispenser dispenser;
    const std::vector<Bytes> blocks = FrameMessage(StartMessage());
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(Hex(Select(dispenser)), "10 30");
    EXPECT_EQ(Hex(dispenser.Exchange(blocks[0])), "10 31");
    EXPECT_TRUE(dispenser.point().received().empty());  // ETB: more to come
    EXPECT_EQ(Hex(dispenser.Exchange(blocks[1])), "10 30");
    ASSERT_EQ(dispenser.point().received().size(), 1u);
    EXPECT_EQ(dispenser.point().received()[0].text, StartMessage());
    EXPECT_EQ(dispenser.point().received()[0].kind, RequestKind::Start);
    EXPECT_TRUE(dispenser.Exchange(kEotOnly).empty());
}

TEST(SimLink, NaksMalformedBlocksAndKeepsOnlyGoodData) {
    Dispenser dispenser;
    const Bytes good = FrameBlock(OnChannel('1', "0000ZD0000"), true);
    Select(dispenser);
    Bytes badCheck = good;
    badCheck.back() ^= 0x40;
    EXPECT_EQ(Hex(dispenser.Exchange(badCheck)), "15");
    Bytes badTerminator = good;
    badTerminator[badTerminator.size() - 2] = 0x18;
    EXPECT_EQ(Hex(dispenser.Exchange(badTerminator)), "15");
    EXPECT_EQ(Hex(dispenser.Exchange(Bytes{kStx, '0', kEtx})), "15");  // too short to carry a check byte
    EXPECT_EQ(Hex(dispenser.Exchange(FrameBlock(std::string(22, '0'), true))), "15");
    EXPECT_TRUE(dispenser.point().received().empty());
    EXPECT_EQ(Hex(dispenser.Exchange(good)), "10 31");
    ASSERT_EQ(dispenser.point().received().size(), 1u);
    EXPECT_EQ(dispenser.point().received()[0].text, OnChannel('1', "0000ZD0000"));
}

TEST(SimLink, IgnoresBlocksWithoutSelectionAndUnknownBytes) {
    Dispenser dispenser;
    EXPECT_TRUE(dispenser.Exchange(FrameBlock(OnChannel('1', "0000ZD0000"), true)).empty());
    EXPECT_TRUE(dispenser.Exchange(Bytes{'x', 'y'}).empty());
    EXPECT_TRUE(dispenser.point().received().empty());
    ASSERT_EQ(dispenser.link().notes().size(), 2u);
    EXPECT_EQ(dispenser.link().notes()[1], "unexpected bytes 78 79");
}

TEST(SimLink, DropsAMessageCutOffBeforeItsLastBlock) {
    Dispenser dispenser;
    const std::vector<Bytes> blocks = FrameMessage(StartMessage());
    Select(dispenser);
    dispenser.Exchange(blocks[0]);
    dispenser.Exchange(kEotOnly);
    Select(dispenser);
    dispenser.Exchange(blocks[1]);
    ASSERT_EQ(dispenser.point().received().size(), 1u);  // only the lone last block, which makes no START
    EXPECT_EQ(dispenser.point().received()[0].kind, RequestKind::Unknown);
    EXPECT_FALSE(dispenser.point().lastStart().has_value());
    ASSERT_FALSE(dispenser.link().notes().empty());
    EXPECT_EQ(dispenser.link().notes()[0].rfind("message cut off by EOT", 0), 0u);
}

TEST(SimLink, SendsALongReplyInBlocksOf21AndEndsWithEot) {
    Dispenser dispenser;
    ASSERT_TRUE(SendMessage(dispenser, OnChannel('1', "0003ZD0100")));
    Bytes answer = Poll(dispenser);
    std::string reply;
    int blocks = 0;
    char digit = '0';
    while (answer.size() > 1 && blocks < 12) {
        const ParsedBlock block = ParseBlock(answer);
        ASSERT_TRUE(block.wellFormed) << Hex(answer);
        EXPECT_EQ(block.last, reply.size() + block.data.size() == kCounterReplyLength);
        EXPECT_EQ(block.data.size(), block.last ? 14u : 21u);
        reply += block.data;
        ++blocks;
        answer = Acknowledge(dispenser, digit);
        digit = digit == '0' ? '1' : '0';
    }
    EXPECT_EQ(blocks, 9);
    EXPECT_EQ(reply.size(), kCounterReplyLength);
    EXPECT_EQ(Hex(answer), "04");
    EXPECT_EQ(Hex(Poll(dispenser)), "04");  // delivered: nothing left
}

TEST(SimLink, RepeatsABlockAfterNakAndRestartsAReplyAfterAPoll) {
    Dispenser dispenser;
    ASSERT_TRUE(SendMessage(dispenser, OnChannel('1', "0003ZD0100")));
    const Bytes first = Poll(dispenser);
    EXPECT_EQ(dispenser.Exchange(Bytes{kNak}), first);
    const Bytes second = Acknowledge(dispenser, '0');
    EXPECT_NE(second, first);
    EXPECT_EQ(dispenser.Exchange(Bytes{kNak}), second);
    EXPECT_EQ(Poll(dispenser), first);  // a poll starts the interrupted reply again
    EXPECT_EQ(dispenser.link().queued().size(), 1u);
}

TEST(SimLink, UnsolicitedReportsQueueBehindEachOther) {
    Dispenser dispenser;
    dispenser.point().LiftNozzle(1);
    dispenser.point().HangNozzle();
    EXPECT_EQ(ReceiveMessage(dispenser).substr(13, 3), "101");
    EXPECT_EQ(ReceiveMessage(dispenser).substr(13, 3), "000");
    EXPECT_EQ(ReceiveMessage(dispenser), "");
}

TEST(SimLink, KeepsABoundedQueue) {
    Dispenser dispenser;
    for (size_t i = 0; i < kMaxQueuedMessages + 5; ++i) dispenser.point().QueueStatusReport('0', 0);
    Poll(dispenser);
    EXPECT_EQ(dispenser.link().queued().size(), kMaxQueuedMessages);
}

}  // namespace
}  // namespace sbsim
