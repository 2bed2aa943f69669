// Messages to a dispenser in framed, acknowledged blocks: the bytes on the wire, retries and failures.
#include <gtest/gtest.h>

#include "common/Cp1251.h"
#include "line/PortServiceForwarder.h"
#include "link/PortExchange.h"
#include "operations/LinkCalls.h"
#include "operations/MessageBuilder.h"
#include "support/DataBlocksFailPort.h"
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

const sbsim::Bytes kSilence = {};

// A port service that exchanges but never calls the driver's reception handler.
struct HandlerDroppingPort : sbline::PortServiceForwarder<HandlerDroppingPort> {
    explicit HandlerDroppingPort(SbPortService* wrapped) : PortServiceForwarder(wrapped) {}
    void SetReceiveHandler(uint32_t point, SbReceiveHandler) {
        PortServiceForwarder::SetReceiveHandler(point, SbReceiveHandler{nullptr, nullptr});
    }
};

class BlockTransmissionTest : public ::testing::Test {
protected:
    BlockTransmissionTest() { sim.port.Attach(1); }

    sbsim::FaultScript& Script() { return sim.port.dispenser(1)->faults(); }

    void ScriptAnswers(std::initializer_list<sbsim::Bytes> answers) {
        for (const sbsim::Bytes& answer : answers) Script().ScriptAnswer(answer);
    }

    // Select answered at once, then nothing to reply: the three polls of reply reception see EOT.
    void ScriptQuietReply() { ScriptAnswers({kSilence, kEot, kEot, kEot}); }

    sb::DispenserMessage Message(const std::string& text) {
        sb::DispenserMessage message;
        message.Append(text);
        return message;
    }

    sb::DispenserMessage MasterResetMessage() { return sb::Request(sim.Driver(), 1, sb::Command::MasterReset); }

    sbtest::SimDriver sim;
};

TEST_F(BlockTransmissionTest, ShortMessageGoesOutUnstampedInOneBlock) {
    ScriptAnswers({kEot, kDle0, kDle0});
    ScriptQuietReply();
    sb::DispenserMessage message = Message("0181");
    EXPECT_EQ(sb::SendConfirmingResets(sim.Driver(), 1, message).portResult, 0);
    EXPECT_EQ(sim.Sent(), (std::vector<std::string>{"04 30 05", "04 31 05", "02 30 31 38 31 03 0B", "04", "04 30 05",
                                                    "04 30 05", "04 30 05"}));
    EXPECT_EQ(message.replyLength, 0);
    EXPECT_EQ(std::string(message.bytes.begin(), message.bytes.begin() + 4), "0181");  // request kept
}

TEST_F(BlockTransmissionTest, StampedFirstBlockFlipsTheChannelsSequenceDigit) {
    for (int round = 0; round < 2; ++round) {
        ScriptAnswers({kEot, kDle0, kDle1});
        ScriptQuietReply();
        sb::DispenserMessage message = MasterResetMessage();
        ASSERT_EQ(sb::SendConfirmingResets(sim.Driver(), 1, message).portResult, 0);
    }
    const std::vector<std::string> sent = sim.Sent();
    EXPECT_EQ(sent[2], "02 30 30 30 30 39 39 39 38 5A 44 30 30 30 30 03 1C");
    EXPECT_EQ(sent[9], "02 30 30 31 30 39 39 39 38 5A 44 30 30 30 30 03 1D");
    EXPECT_EQ(sim.Link(1).SeqChar[0], '0');
    EXPECT_EQ(sim.Link(1).SeqChar[1], '0');
}

TEST_F(BlockTransmissionTest, MessagesAreCutIntoBlocksOf21DataBytes) {
    const std::string text21 = "012345678901234567890";
    ScriptAnswers({kEot, kDle0, kDle0});
    ScriptQuietReply();
    sb::DispenserMessage message = Message(text21);
    sb::SendConfirmingResets(sim.Driver(), 1, message);
    // Bytes 2 and 3 carry channel 1's sequence digit and request byte.
    EXPECT_EQ(sim.Sent()[2], HexOf(Block("010045678901234567890", true)));

    sim.port.ClearRecords();
    ScriptAnswers({kEot, kDle0, kDle1, kDle1});
    ScriptQuietReply();
    message = Message(text21 + "X");
    sb::SendConfirmingResets(sim.Driver(), 1, message);
    EXPECT_EQ(sim.Sent()[2], HexOf(Block("011045678901234567890", false)));
    EXPECT_EQ(sim.Sent()[3], "02 58 03 5B");
}

TEST_F(BlockTransmissionTest, OnlyMessagesLongerThanEightBytesAreStamped) {
    ScriptAnswers({kEot, kDle0, kDle0});
    ScriptQuietReply();
    sb::DispenserMessage message = Message("01999999");
    sb::SendConfirmingResets(sim.Driver(), 1, message);
    EXPECT_EQ(sim.Sent()[2], HexOf(Block("01999999")));

    sim.port.ClearRecords();
    ScriptAnswers({kEot, kDle0, kDle0});
    ScriptQuietReply();
    message = Message("019999999");
    sb::SendConfirmingResets(sim.Driver(), 1, message);
    EXPECT_EQ(sim.Sent()[2], HexOf(Block("010099999")));
    EXPECT_EQ(sim.Link(1).SeqChar[1], '1');
}

TEST_F(BlockTransmissionTest, NakedStampedBlockIsResentWithTheOtherDigit) {
    ScriptAnswers({kEot, kDle0, kNak, kDle1});
    ScriptQuietReply();
    sb::DispenserMessage message = MasterResetMessage();
    EXPECT_EQ(sb::SendConfirmingResets(sim.Driver(), 1, message).portResult, 0);
    EXPECT_EQ(sim.Sent()[2], "02 30 30 30 30 39 39 39 38 5A 44 30 30 30 30 03 1C");
    EXPECT_EQ(sim.Sent()[3], "02 30 30 31 30 39 39 39 38 5A 44 30 30 30 30 03 1D");
    EXPECT_EQ(sim.Sent()[4], "04");
}

TEST_F(BlockTransmissionTest, FiveUnacknowledgedBlocksInOneAttemptEndIt) {
    // Two NAKs on the first block, three on the second: the attempt ends; the next one gets through.
    ScriptAnswers({kEot, kDle0, kNak, kNak, kDle1, kNak, kNak, kNak});
    ScriptAnswers({kEot, kDle0, kDle1, kDle0});
    ScriptQuietReply();
    sb::DispenserMessage message = Message(std::string(22, '5'));
    EXPECT_EQ(sb::SendConfirmingResets(sim.Driver(), 1, message).portResult, 0);
    EXPECT_EQ(sim.log.Count("ERROR(1)"), 1u);
    EXPECT_EQ(sim.Sent().size(), 8u + 4u + 4u);
    EXPECT_EQ(sim.Sent()[7].substr(0, 2), "02");  // the fifth unacknowledged block, still of the first attempt
    EXPECT_EQ(sim.Sent()[8], "04 30 05");
    EXPECT_EQ(sim.LineResult(1), 1u);
    EXPECT_TRUE(message.delivered);
}

TEST_F(BlockTransmissionTest, SilentDispenserCostsThreeAttemptsOfTwoSelectsEach) {
    sb::DispenserMessage message = MasterResetMessage();
    message.replyLength = 77;
    const sb::SendResult result = sb::SendConfirmingResets(sim.Driver(), 2, message);
    EXPECT_EQ(result.portResult, 0);
    EXPECT_EQ(result.outcome, sb::LinkOutcome::NotSelected);
    std::vector<std::string> expected;
    for (int i = 0; i < 6; ++i) {
        expected.push_back("04 30 05");
        expected.push_back("04 31 05");
    }
    EXPECT_EQ(sim.Sent(), expected);
    EXPECT_EQ(sim.LineResult(2), 2u);
    EXPECT_EQ(message.replyLength, 77);
    EXPECT_EQ(sim.log.Count("Запрос(2)"), 6u);
    for (const std::string& text : sim.log.Texts()) EXPECT_EQ(text.find("ERROR("), std::string::npos);
}

TEST_F(BlockTransmissionTest, UnacknowledgedBlockLeavesReplyLengthTwo) {
    sb::DispenserMessage message = Message("0181");
    message.replyLength = 0;
    for (int attempt = 0; attempt < 3; ++attempt) {
        ScriptAnswers({kEot, kDle0});
        for (int i = 0; i < 5; ++i) Script().ScriptAnswer(kNak);
    }
    const sb::SendResult result = sb::SendConfirmingResets(sim.Driver(), 1, message);
    EXPECT_EQ(result.portResult, 0);
    EXPECT_EQ(result.outcome, sb::LinkOutcome::NakLimit);
    EXPECT_EQ(message.replyLength, 2);
    EXPECT_EQ(sim.LineResult(1), 2u);
    EXPECT_EQ(sim.log.Count("ERROR(1)"), 3u);
}

TEST_F(BlockTransmissionTest, PortFailureInsideTheExchangeIsAbsorbedAndAMissingReceptionTold) {
    sim.port.SetErrorResult(7);
    sim.port.ThrowOnExchanges(1);
    sim.Slots().SetLineResult(sim.Object(), 1, 9);
    uint8_t buffer[256] = {0x04, '0', 0x05};
    EXPECT_EQ(sb::PortExchange(sim.Link(1), buffer, 3, 30).portResult, 7);
    EXPECT_EQ(sim.LineResult(1), 9u);  // the line result query never ran

    sim.port.SetErrorResult(0);
    sim.port.ThrowOnExchanges(1);
    const sb::ExchangeOutcome raisedWithZero = sb::PortExchange(sim.Link(1), buffer, 3, 30);
    EXPECT_EQ(raisedWithZero.portResult, 0);
    EXPECT_EQ(raisedWithZero.outcome, sb::LinkOutcome::PortFailure);  // never the request's bytes read as an answer
    EXPECT_EQ(sim.clock.Sleeps(), (std::vector<uint32_t>{20, 20}));

    // Good exchanges that awaited an answer the handler never heard of: told once, as the operator's alert.
    HandlerDroppingPort dropping(sim.port.port());
    sim.Driver().Port = sb::PortService(dropping.port());
    for (int i = 0; i < 2; ++i) sb::PortExchange(sim.Link(1), buffer, 3, 30);
    EXPECT_EQ(sim.log.Count("Порт-сервис не вызвал обработчик приема (точка 1): ответы ТРК не доходят до драйвера"),
              1u);
}

TEST_F(BlockTransmissionTest, PortFailureWhileInstallingTheHandlerReachesTheCaller) {
    sim.port.ThrowOnSetReceiveHandler(1);
    uint8_t buffer[256] = {0x04, '0', 0x05};
    EXPECT_THROW(sb::PortExchange(sim.Link(1), buffer, 3, 30), std::exception);
    EXPECT_TRUE(sim.Transcript().empty());
}

TEST_F(BlockTransmissionTest, DataBlocksFailingAtThePortEndTheMessageWithTheCallersText) {
    sbtest::DataBlocksFailPort failing(sim.port.port());
    sim.Driver().Port = sb::PortService(failing.port());
    sb::DispenserMessage message = MasterResetMessage();
    const sb::SendResult result = sb::SendConfirmingResets(sim.Driver(), 1, message);
    EXPECT_EQ(result.portResult, -3);
    EXPECT_EQ(result.outcome, sb::LinkOutcome::DataPortFailure);
    EXPECT_EQ(failing.failures, sb::kMaxPortFailuresInRow);

    // Through the host contract: the operation raises its own text.
    try {
        sim.Slots().FillingPointControl(sim.Object(), 1, 0, 1);
        FAIL() << "no failure reached the host";
    } catch (const sb::ESerialIO& failure) {
        EXPECT_EQ(failure.Utf8(), "Невозможно выполнить сброс ТРК");
        EXPECT_EQ(std::string(failure.what()), sb::ToCp1251("Невозможно выполнить сброс ТРК"));
        EXPECT_EQ(failure.Reason(), SB_REASON_PORT_FAILED);
    }
}

}  // namespace
