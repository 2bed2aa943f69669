#include <gtest/gtest.h>

#include "sim/Wire.h"

namespace sbsim {
namespace {

TEST(SimWire, OneByteBlockChecksItselfAgainstEtx) {
    EXPECT_EQ(Hex(FrameBlock("A", true)), "02 41 03 42");
    EXPECT_EQ(Hex(FrameBlock("0181", true)), "02 30 31 38 31 03 0B");
}

TEST(SimWire, MessageOf22BytesTakesTwoBlocks) {
    const std::vector<Bytes> blocks = FrameMessage(std::string(21, '1') + "2");
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks[0].size(), 24u);
    EXPECT_EQ(blocks[0][22], kEtb);
    EXPECT_EQ(Hex(blocks[1]), "02 32 03 31");
    EXPECT_EQ(FrameMessage(std::string(21, '1')).size(), 1u);
    EXPECT_TRUE(FrameMessage("").empty());
}

TEST(SimWire, ParseAcceptsOnlyWellFormedBlocks) {
    const Bytes good = FrameBlock("0000ZD", true);
    const ParsedBlock parsed = ParseBlock(good);
    EXPECT_TRUE(parsed.wellFormed);
    EXPECT_TRUE(parsed.last);
    EXPECT_EQ(parsed.data, "0000ZD");

    Bytes badCheck = good;
    badCheck.back() ^= 0x01;
    EXPECT_FALSE(ParseBlock(badCheck).wellFormed);
    Bytes noStx = good;
    noStx[0] = 0x01;
    EXPECT_FALSE(ParseBlock(noStx).wellFormed);
    Bytes badTerminator = good;
    badTerminator[badTerminator.size() - 2] = 0x18;
    EXPECT_FALSE(ParseBlock(badTerminator).wellFormed);
    EXPECT_FALSE(ParseBlock(Bytes{kStx, kEtx, kEtx}).wellFormed);  // no data byte
    Bytes tooLong = FrameBlock(std::string(22, '0'), true);
    EXPECT_FALSE(ParseBlock(tooLong).wellFormed);
    EXPECT_FALSE(ParseBlock(FrameBlock("12", false)).last);
}

}  // namespace
}  // namespace sbsim
