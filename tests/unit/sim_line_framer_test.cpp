// The line framer of sbsim: the driver's transmissions cut out of a serial byte stream however the reads
// split or join them, garbage thrown away, and the stream picked up again at the next transmission.
#include <gtest/gtest.h>

#include <random>

#include "sim/Dispenser.h"
#include "sim/LineFramer.h"

namespace sbsim {
namespace {

const Bytes kPoll{kEot, '0', kEnq};
const Bytes kSelect{kEot, '1', kEnq};
const Bytes kLoneEot{kEot};
const Bytes kLinkUnitRequest = ToBytes("0002ZD");

Bytes Join(const std::vector<Bytes>& parts) {
    Bytes joined;
    for (const Bytes& part : parts) joined.insert(joined.end(), part.begin(), part.end());
    return joined;
}

std::vector<std::string> Render(const std::vector<Bytes>& transmissions) {
    std::vector<std::string> lines;
    for (const Bytes& transmission : transmissions) lines.push_back(Hex(transmission));
    return lines;
}

std::vector<std::string> FeedAll(LineFramer& framer, const Bytes& bytes) {
    return Render(framer.Feed(bytes.data(), bytes.size()));
}

// A whole conversation as the driver sends it: every kind of transmission, each EOT followed by a poll.
std::vector<Bytes> Conversation() {
    return {kPoll,
            Bytes{kDle, '0'},
            kPoll,
            kSelect,
            FrameBlock(std::string(21, '5'), false),
            FrameBlock("0000ZD0000", true),
            kLoneEot,
            kPoll,
            Bytes{kDle, '1'},
            Bytes{kNak},
            kLoneEot,
            kLinkUnitRequest,
            kPoll};
}

TEST(LineFramer, EveryTransmissionComesOutWholeWhenReadAlone) {
    for (const Bytes& transmission : Conversation()) {
        LineFramer framer;
        std::vector<std::string> out = FeedAll(framer, transmission);
        if (transmission == kLoneEot) {
            EXPECT_TRUE(out.empty());
            EXPECT_TRUE(framer.pending());
            out = Render(framer.Silence());
        }
        EXPECT_EQ(out, std::vector<std::string>{Hex(transmission)});
        EXPECT_FALSE(framer.pending());
        EXPECT_EQ(framer.discarded(), 0u);
    }
}

TEST(LineFramer, JoinedAndSplitReadsGiveTheSameTransmissions) {
    const std::vector<Bytes> conversation = Conversation();
    const Bytes stream = Join(conversation);
    const std::vector<std::string> expected = Render(conversation);

    LineFramer joined;
    EXPECT_EQ(FeedAll(joined, stream), expected);
    EXPECT_EQ(joined.discarded(), 0u);

    LineFramer bytewise;
    std::vector<std::string> out;
    for (uint8_t byte : stream) {
        for (const std::string& line : Render(bytewise.Feed(&byte, 1))) out.push_back(line);
    }
    EXPECT_EQ(out, expected);

    for (std::size_t split = 1; split < stream.size(); ++split) {
        LineFramer framer;
        std::vector<std::string> parts = Render(framer.Feed(stream.data(), split));
        for (const std::string& line : Render(framer.Feed(stream.data() + split, stream.size() - split)))
            parts.push_back(line);
        EXPECT_EQ(parts, expected) << "split at " << split;
    }
}

TEST(LineFramer, LoneEotIsKnownByTheByteAfterItOrBySilence) {
    LineFramer framer;
    EXPECT_TRUE(FeedAll(framer, Bytes{kEot, '0'}).empty());
    EXPECT_EQ(FeedAll(framer, ToBytes("002ZD")), (std::vector<std::string>{"04", Hex(kLinkUnitRequest)}));

    EXPECT_EQ(FeedAll(framer, Bytes{kEot, kEot, '1', kEnq}), (std::vector<std::string>{"04", Hex(kSelect)}));

    EXPECT_TRUE(FeedAll(framer, Bytes{kEot, '1'}).empty());
    EXPECT_EQ(Render(framer.Silence()), std::vector<std::string>{"04"});
    EXPECT_EQ(framer.discarded(), 1u);  // the "1" that no ENQ followed
    EXPECT_TRUE(framer.Silence().empty());
}

TEST(LineFramer, CheckByteThatLooksLikeAControlByteEndsTheBlock) {
    const Bytes block = FrameBlock("07", true);  // "0" ^ "7" ^ ETX is EOT
    ASSERT_EQ(block.back(), kEot);
    LineFramer framer;
    EXPECT_EQ(FeedAll(framer, Join({block, kPoll})), (std::vector<std::string>{Hex(block), Hex(kPoll)}));
    // A zero-data block and a bad check byte are still transmissions: judging them is the dispenser's job.
    const Bytes empty{kStx, kEtx, kEtx};
    Bytes badCheck = FrameBlock("0181", true);
    badCheck.back() ^= 0x20;
    EXPECT_EQ(FeedAll(framer, Join({empty, badCheck})), (std::vector<std::string>{Hex(empty), Hex(badCheck)}));
}

TEST(LineFramer, CutOffTransmissionsAndGarbageAreDroppedUpToTheNextStart) {
    const Bytes block = FrameBlock("0000ZD0000", true);
    struct Case {
        const char* what;
        Bytes garbage;
        Bytes next;
    };
    const std::vector<Case> cases = {
        {"block cut by STX", Bytes{kStx, '0', '1'}, block},
        {"block cut by a poll", Bytes{kStx, '0', '1', '2'}, kPoll},
        {"block cut by DLE", Bytes{kStx, 'A'}, Bytes{kDle, '1'}},
        {"block cut by NAK", Bytes{kStx}, Bytes{kNak}},
        {"block without terminator", Join({Bytes{kStx}, ToBytes(std::string(22, '7'))}), kPoll},
        {"DLE without digit", Bytes{kDle, 'x'}, Bytes{kDle, '0'}},
        {"ENQ and letters", ToBytes("\x05zq\xff"), kSelect},
        {"link unit request broken off", ToBytes("0002Z"), kLinkUnitRequest},
        {"zeros before the link unit request", ToBytes("00"), kLinkUnitRequest},
    };
    for (const Case& c : cases) {
        LineFramer framer;
        EXPECT_EQ(FeedAll(framer, Join({c.garbage, c.next})), std::vector<std::string>{Hex(c.next)}) << c.what;
        EXPECT_EQ(framer.discarded(), c.garbage.size()) << c.what;
        EXPECT_FALSE(framer.pending()) << c.what;
    }
}

bool IsKnownForm(const Bytes& t) {
    if (t == kPoll || t == kSelect || t == kLoneEot || t == Bytes{kNak} || t == kLinkUnitRequest) return true;
    if (t.size() == 2 && t[0] == kDle) return t[1] == '0' || t[1] == '1';
    return t.size() >= 3 && t.size() <= kMaxTransmission && t[0] == kStx &&
           (t[t.size() - 2] == kEtx || t[t.size() - 2] == kEtb);
}

TEST(LineFramer, RandomBytesStayBoundedAndAPollAfterSilenceIsHeard) {
    std::mt19937 random(20240601);
    std::uniform_int_distribution<int> byteOf(0, 255);
    std::uniform_int_distribution<int> controlOf(0, 7);
    const uint8_t controls[] = {kStx, kEtx, kEot, kEnq, kDle, kNak, kEtb, '0'};
    LineFramer framer;
    for (int round = 0; round < 20000; ++round) {
        uint8_t chunk[7];
        for (uint8_t& byte : chunk) {
            byte = (byteOf(random) & 1) ? controls[controlOf(random)] : static_cast<uint8_t>(byteOf(random));
        }
        for (const Bytes& transmission : framer.Feed(chunk, sizeof chunk))
            ASSERT_TRUE(IsKnownForm(transmission)) << Hex(transmission);
        ASSERT_LE(framer.held(), kMaxTransmission);
    }
    for (const Bytes& transmission : framer.Silence()) EXPECT_TRUE(IsKnownForm(transmission));
    EXPECT_FALSE(framer.pending());
    EXPECT_EQ(FeedAll(framer, kPoll), std::vector<std::string>{Hex(kPoll)});
}

TEST(LineFramer, ADispenserBehindTheFramerAnswersAsOverPortCalls) {
    Dispenser direct;
    Dispenser framed;
    LineFramer framer;
    const std::vector<Bytes> sends = {kPoll, kPoll, kSelect, FrameBlock("0000ZD0000", true), kLoneEot, kPoll};
    const Bytes stream = Join(sends);
    std::vector<std::string> framedAnswers;
    for (const Bytes& transmission : framer.Feed(stream.data(), stream.size()))
        framedAnswers.push_back(Hex(framed.Exchange(transmission)));
    std::vector<std::string> directAnswers;
    for (const Bytes& send : sends) directAnswers.push_back(Hex(direct.Exchange(send)));
    EXPECT_EQ(framedAnswers, directAnswers);
    EXPECT_EQ(directAnswers[3], "10 31");  // the block was taken after the select
}

}  // namespace
}  // namespace sbsim
