// Polling, selection and reply collection: acknowledgements, short answers, reset requests and bad lines; the
// link statistics they leave.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "decode/LineFrames.h"
#include "link/CallContext.h"
#include "link/ExchangeBudget.h"
#include "link/LineBytes.h"
#include "link/PollLimits.h"
#include "link/PortExchange.h"
#include "link/SelectPoint.h"
#include "operations/LinkCalls.h"
#include "operations/MaintenanceMessages.h"
#include "support/LineScript.h"
#include "support/SimDriver.h"

namespace {

using sbtest::Block;
using sbtest::HexOf;
using sbtest::kDle0;
using sbtest::kDle1;
using sbtest::kEot;
using sbtest::kNak;
using sbtest::Raw;

class ReplyReceptionTest : public ::testing::Test {
protected:
    ReplyReceptionTest() { sim.port.Attach(1); }

    void ScriptAnswers(std::initializer_list<sbsim::Bytes> answers) {
        for (const sbsim::Bytes& answer : answers) sim.port.dispenser(1)->faults().ScriptAnswer(answer);
    }
    uint8_t Receive(uint8_t capacity = 254) { return sb::ReceiveConfirmingResets(sim.Driver(), 1, reply, capacity); }
    bool Select() {
        sb::Selection selection(sim.Link(1));
        while (selection.Run()) {
        }
        return selection.Ready();
    }
    std::string ReplyText(size_t count) const { return std::string(reinterpret_cast<const char*>(reply), count); }

    sbtest::SimDriver sim;
    uint8_t reply[256] = {};
};

TEST_F(ReplyReceptionTest, TwoBlocksAreAcknowledgedWithAlternatingDigits) {
    const std::string first(21, 'A');
    const std::string second = "0123456789012345678";
    ScriptAnswers({Block(first, false), Block(second, true), kEot});
    EXPECT_EQ(Receive(), 40);
    EXPECT_EQ(ReplyText(40), first + second);
    EXPECT_EQ(sim.Sent(), (std::vector<std::string>{"04 30 05", "10 30", "10 31"}));
    EXPECT_EQ(sim.log.Texts().front(), "Прием ответа(1)");
    EXPECT_EQ(sim.log.Texts().back(), "Конец приема ответа(1)");
}

TEST_F(ReplyReceptionTest, NothingToSayEndsAfterThreePolls) {
    EXPECT_EQ(Receive(), 0);
    EXPECT_EQ(sim.Sent(), (std::vector<std::string>{"04 30 05", "04 30 05", "04 30 05"}));
    EXPECT_EQ(sim.LineResult(1), 1u);
}

TEST_F(ReplyReceptionTest, FourCharacterReplyThatIsNoShortAnswerIsKept) {
    ScriptAnswers({Block("0123"), kEot});
    EXPECT_EQ(Receive(), 4);
    EXPECT_EQ(ReplyText(4), "0123");
}

TEST_F(ReplyReceptionTest, WaitAnswersAreDiscardedUntilTheEleventhCycleGivesUp) {
    for (int i = 0; i < 11; ++i) ScriptAnswers({Block("0180"), kEot});
    try {
        Receive();
        FAIL() << "no failure";
    } catch (const sb::ESerialIO& failure) {
        EXPECT_EQ(failure.Utf8(), "Невозможно перевести ТРК в режим приема");
    }
    EXPECT_EQ(sim.log.Count("Ожидание ответа(1)"), 11u);
    EXPECT_EQ(sim.Sent().size(), 22u);
}

TEST_F(ReplyReceptionTest, RefusalFlipsTheRequestByteOfItsChannel) {
    ScriptAnswers({Block("0190"), kEot});
    EXPECT_EQ(Receive(), 0);
    EXPECT_EQ(sim.Link(1).ReqChar[1], '1');
    EXPECT_EQ(sim.Link(1).ReqChar[0], '0');
    EXPECT_TRUE(sim.log.Has("Инвертация байта запроса(1)"));
    EXPECT_TRUE(sim.log.Has("Отказ(1)"));
    EXPECT_EQ(sim.Sent().size(), 2u + 3u);  // then three polls answered EOT
    // A stray wait block answering the refusal's acknowledgement does not make the refusal a wait.
    ScriptAnswers({Block("0190"), Block("0180"), kEot});
    EXPECT_EQ(Receive(), 0);
    EXPECT_TRUE(sim.Link(1).ReplyRefusedOn[1]);
    EXPECT_EQ(sim.log.Count("Инвертация байта запроса(1)"), 2u);
}

TEST_F(ReplyReceptionTest, FirstReplyBlockTeachesTheSequenceDigit) {
    ScriptAnswers({Block(sbtest::StatusReport('0', '0', '0', '1').replace(2, 1, "1")), kEot});
    EXPECT_EQ(Receive(), 18);
    EXPECT_EQ(sim.Link(1).ReqChar[1], '0');  // the dispenser's digit "1", inverted
    EXPECT_EQ(sim.Link(1).ReplyToggle, '1');
    EXPECT_EQ(sim.Link(1).ReceivedCount, 1);  // the EOT after the acknowledgement
}

TEST_F(ReplyReceptionTest, ResetRequestIsConfirmedOnceAndItsDataKept) {
    ScriptAnswers({Block("01?0"), kEot});
    // The confirmation's own message: select, one block, EOT, then no reply.
    ScriptAnswers({kEot, kDle0, kDle0, {}, kEot, kEot, kEot});
    sim.Link(1).SeqChar[1] = '1';
    EXPECT_EQ(Receive(), 4);
    EXPECT_EQ(ReplyText(4), "01?0");
    EXPECT_EQ(sim.log.Count("Подтверждение RESET(1)"), 1u);
    EXPECT_EQ(sim.Sent()[4], HexOf(Block("01<600")));
    EXPECT_EQ(sim.Link(1).SeqChar[1], '0');
    EXPECT_EQ(sim.Link(1).ReqChar[1], '1');
}

TEST_F(ReplyReceptionTest, ResetRequestsWhileTheConfirmationIsOnItsWayDoNotNest) {
    // Every poll, including those of the confirmation's own selection, brings another reset request.
    for (int i = 0; i < 40; ++i) ScriptAnswers({Block("01?0"), kEot});
    try {
        Receive();
        FAIL() << "no failure";
    } catch (const sb::ESerialIO& failure) {
        EXPECT_EQ(failure.Utf8(), "Невозможно перевести ТРК в режим приема");
    }
    EXPECT_EQ(sim.log.Count("Подтверждение RESET(1)"), 1u);
    EXPECT_EQ(sim.Sent().size(), 2u + 22u);  // the first reply, then eleven drained cycles of the selection
}

TEST_F(ReplyReceptionTest, RepeatedFirstBlockStillTeachesTheSequenceDigit) {
    const std::string report = sbtest::StatusReport('0', '0').replace(2, 1, "1");
    sbsim::Bytes bad = Block(report);
    bad[3] = '0';  // the digit itself damaged on the line
    ScriptAnswers({bad, Block(report), kEot});
    EXPECT_EQ(Receive(), 18);
    EXPECT_EQ(sim.Link(1).ReplyToggle, '1');
    EXPECT_EQ(sim.Link(1).ReqChar[1], '0');
    EXPECT_EQ(sim.Transcript()[1].substr(0, 10), "1 > 15 (30");
}

TEST_F(ReplyReceptionTest, ReplyBeyondTheCapacityIsCut) {
    ScriptAnswers({Block(std::string(21, 'A'), false), Block(std::string(19, 'B'), true), kEot});
    std::memset(reply, 0xEE, sizeof reply);
    EXPECT_EQ(Receive(30), 30);
    EXPECT_EQ(ReplyText(30), std::string(21, 'A') + std::string(9, 'B'));
    EXPECT_EQ(reply[30], 0xEE);
    EXPECT_EQ(sim.Sent().size(), 3u);  // the line was still acknowledged to its end
}

TEST_F(ReplyReceptionTest, CorruptedBlockIsNakedAndTheRepetitionTaken) {
    // A damaged data byte, and a start byte the block check does not cover.
    for (const size_t damaged : {5u, 0u}) {
        sim.port.ClearRecords();
        sbsim::Bytes bad = Block("0123456789");
        bad[damaged] ^= 0x01;
        ScriptAnswers({bad, Block("0123456789"), kEot});
        EXPECT_EQ(Receive(), 10) << damaged;
        EXPECT_EQ(ReplyText(10), "0123456789");
        EXPECT_EQ(sim.Sent(), (std::vector<std::string>{"04 30 05", "15", "10 30"})) << damaged;
    }
}

TEST_F(ReplyReceptionTest, ThreeNaksForOneBlockGiveTheReplyUp) {
    sbsim::Bytes bad = Block("0123456789");
    bad.back() ^= 0x40;
    ScriptAnswers({Block(std::string(21, 'A'), false), bad, bad, bad, bad});
    EXPECT_EQ(Receive(), 0);
    EXPECT_EQ(sim.LineResult(1), 2u);
    EXPECT_EQ(sim.Sent(), (std::vector<std::string>{"04 30 05", "10 30", "15", "15", "15"}));
}

TEST_F(ReplyReceptionTest, ShortOrUnframedAnswersAddNothing) {
    ScriptAnswers({Raw({0x02, 0x03}), Raw({0x10, '0'}), Block("12"), kEot});
    EXPECT_EQ(Receive(), 2);
    EXPECT_EQ(ReplyText(2), "12");
}

TEST_F(ReplyReceptionTest, BabblingLineIsBounded) {
    ScriptAnswers({Block("0123", false)});
    for (int i = 0; i < 2 * sb::kMaxBlocksPerReply; ++i) ScriptAnswers({Block("4567", false)});
    EXPECT_EQ(Receive(), 0);
    EXPECT_EQ(sim.LineResult(1), 2u);
    EXPECT_EQ(sim.Sent().size(), static_cast<size_t>(sb::kMaxBlocksPerReply) + 1u);

    // Through the host's slots every call is bounded as a whole: a select that drains an endless talker ten
    // times over would take hundreds of exchanges; the call ends as after a failed exchange at the budget,
    // and the next call has a budget of its own.
    for (int i = 0; i < 2000; ++i) ScriptAnswers({Block("4567", false)});
    sim.PriceGrades(1);
    for (size_t call = 1; call <= 2; ++call) {
        try {
            sim.Slots().Start(sim.Object(), 1, 0, 1, 1);
            ADD_FAILURE() << "the exchange limit raised nothing";
        } catch (const sb::ESerialIO& failure) {
            EXPECT_EQ(failure.Reason(), SB_REASON_EXCHANGE_LIMIT);
            EXPECT_EQ(failure.Utf8(), "Can't Start");  // START not taken: whatever stopped it, it did not start
        }
        EXPECT_EQ(sim.Sent().size(), sb::kMaxBlocksPerReply + 1u + call * sb::kExchangesPerCall);
        EXPECT_EQ(sim.LineResult(1), 2u);
    }
    EXPECT_EQ(sim.log.Count("EXCHANGE LIMIT(1): " + std::to_string(sb::kExchangesPerCall)), 2u);

    // Beyond the budget every exchange is refused, and a call nested in the host's call shares it.
    const sb::CallScope call;
    for (uint32_t i = 0; i < sb::kExchangesPerCall; ++i) ASSERT_EQ(sb::TakeExchange(), sb::ExchangeGrant::Granted);
    EXPECT_EQ(sb::TakeExchange(), sb::ExchangeGrant::JustSpent);
    const sb::CallScope nested;
    EXPECT_EQ(sb::TakeExchange(), sb::ExchangeGrant::Spent);
}

TEST_F(ReplyReceptionTest, SelectAnsweredReadyAtOnceNeedsNoSelect) {
    ScriptAnswers({kDle1});
    EXPECT_TRUE(Select());
    EXPECT_EQ(sim.Sent(), (std::vector<std::string>{"04 30 05"}));
    EXPECT_TRUE(sim.log.Has("Запрос(1)"));
}

TEST_F(ReplyReceptionTest, SelectAnsweredWithNakIsNotReady) {
    ScriptAnswers({kEot, kNak});
    EXPECT_FALSE(Select());
    EXPECT_EQ(sim.Sent(), (std::vector<std::string>{"04 30 05", "04 31 05"}));
}

TEST_F(ReplyReceptionTest, SelectDrainsWhatIsPendingBeforeSelecting) {
    ScriptAnswers({Block(std::string(21, 'A'), false), Block("B", false), Block("C"), kEot, kEot, kDle0});
    EXPECT_TRUE(Select());
    EXPECT_EQ(sim.Sent(), (std::vector<std::string>{"04 30 05", "10 30", "10 31", "10 30", "04 30 05", "04 31 05"}));
}

TEST_F(ReplyReceptionTest, SelectGivesUpOnADispenserThatNeverStopsTalking) {
    for (int i = 0; i < 11; ++i) ScriptAnswers({Block("0123"), kEot});
    try {
        Select();
        ADD_FAILURE() << "a dispenser that never stops talking raised nothing";
    } catch (const sb::ESerialIO& failure) {
        EXPECT_EQ(failure.Reason(), SB_REASON_NOT_RECEIVING);
        EXPECT_EQ(failure.Utf8(), "Невозможно перевести ТРК в режим приема");
    }
    EXPECT_EQ(sim.Sent().size(), 22u);
}

TEST_F(ReplyReceptionTest, LinkStatisticsCountEveryEventOnceAndTimeTheLastAnswer) {
    sim.clock.RunOnSleeps();  // each exchange's 20 ms pause moves the clock on
    sbsim::Bytes corrupted = Block("0180");
    corrupted[2] ^= 0x01;
    // MASTER RESET: a select nobody answers, a block answered NAK and sent again; the reply: a corrupted wait answer
    // asked for again, a refusal, a reset request whose confirmation brings nothing; then the next reply: nothing.
    ScriptAnswers({kEot, {}, kEot, kDle0, kNak, kDle1, {}, corrupted, Block("0180"), kEot, Block("0190"), kEot});
    sbtest::LineScript(sim.Script()).Answer(Block("01?0")).Answer(kEot).TakeRequest(6).Nothing(6);
    sb::MasterReset(sim.Driver(), 1);
    // An exchange that fails at the port, then a call whose exchanges run out, twice over.
    sim.port.ThrowOnExchanges(1);
    sb::PortExchange(sim.Link(1), reply, 3, sb::line::kPollReplySize);
    const sb::CallScope call;
    for (uint32_t i = 0; i < sb::kExchangesPerCall; ++i) sb::TakeExchange();
    for (int i = 0; i < 2; ++i) sb::PortExchange(sim.Link(1), reply, 3, sb::line::kPollReplySize);

    SbLinkStatistics s{};
    s.size = sizeof s;
    ASSERT_EQ(SbGetLinkStatistics(sim.Object(), 1, &s), sizeof s);
    // Exchanges; answers: 22 awaited one (not the EOTs), one came corrupted, one never; NAKs received and sent,
    // bad checks, waits, refusals, resends, resets asked and sent (the confirmation is no reset of its own), limits;
    // the last answer at the 24th exchange's pause, read at the 25th's.
    EXPECT_EQ((std::vector<uint64_t>{s.exchanges, s.answers, s.noAnswers, s.naksReceived, s.naksSent, s.badChecks,
                                     s.waits, s.refusals, s.resends, s.resetsAsked, s.resetsSent, s.exchangeLimits,
                                     s.lastAnswerUs, s.nowUs}),
              (std::vector<uint64_t>{25, 20, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 24 * 20000, 25 * 20000}));
}

// Each counter equals the wire's own count, for every fault the dispenser makes in each phase of the calls: a poll,
// a follow-up, a message's selection, its blocks and its reply.
TEST_F(ReplyReceptionTest, EveryCounterEqualsTheWiresCount) {
    sim.PriceGrades(1);
    sbsim::FaultScript& faults = sim.Script();
    for (int phase = 0; phase < 3; ++phase) {  // each fault once, then waits for ever (the line kept busy)
        faults.AnswerPollsWithWait(phase == 2 ? sbsim::kForever : 3 * (1 - phase));
        faults.NakDataBlocks(2 * phase);
        faults.RefuseRequests(phase);
        faults.SilenceExchanges(2 * (1 - phase));
        sim.Point(1).NoReplyCount = 4;  // the next poll is a follow-up
        if (phase == 0) faults.CorruptNextBlock();
        for (const bool start : {false, true}) {  // a poll and a START, whether or not either fails
            try {
                start ? sim.Slots().Start(sim.Object(), 1, 0, 1, 1) : (void)sim.Slots().PollStatus(sim.Object(), 1, 0);
            } catch (const sb::ESerialIO&) {
            }
        }
    }
    using sbdecode::FrameKind;
    std::vector<uint64_t> wire(8, 0);  // as the statistics below
    for (const sbsim::ExchangeRecord& record : sim.port.exchanges()) {
        const sbdecode::Frame sent = sbdecode::ReadSent(record.sent);
        const sbdecode::Frame answer = sbdecode::ReadAnswer(record.received, sent.kind);
        const bool block = answer.kind == FrameKind::kBlock, awaited = record.replySize != 0;
        const bool shortAnswer = block && answer.checkGood && answer.data.size() == 4;
        const bool counts[] = {
            true,
            awaited && !record.received.empty() && answer.kind != FrameKind::kUnknown && (!block || answer.checkGood),
            awaited && record.received.empty(),
            answer.kind == FrameKind::kNak,
            sent.kind == FrameKind::kNak,
            block && !answer.checkGood,
            shortAnswer && answer.data[2] == '8',
            shortAnswer && answer.data[2] == '9'};
        for (size_t i = 0; i < wire.size(); ++i) wire[i] += counts[i];
    }
    SbLinkStatistics s{};
    s.size = sizeof s;
    ASSERT_EQ(SbGetLinkStatistics(sim.Object(), 1, &s), sizeof s);
    EXPECT_EQ(wire, (std::vector<uint64_t>{s.exchanges, s.answers, s.noAnswers, s.naksReceived, s.naksSent, s.badChecks,
                                           s.waits, s.refusals}));
    EXPECT_GT(s.waits * s.refusals * s.badChecks * s.naksReceived * s.noAnswers, 0u);
}

}  // namespace
