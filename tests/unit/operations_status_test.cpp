// The status poll: state codes, the schedule of a silent point, and the reset and initialisation sequences.
#include <gtest/gtest.h>

#include <algorithm>

#include "driver/DriverFactory.h"
#include "operations/StatusClassification.h"
#include "operations/StatusPolling.h"
#include "sim/Replies.h"
#include "sim/Wire.h"
#include "support/LineScript.h"
#include "support/SaleSetup.h"
#include "support/SimDriver.h"

namespace {

using sbtest::StatusReport;

class StatusTest : public ::testing::Test {
protected:
    StatusTest() { sim.port.Attach(1); }

    uint32_t Poll(uint32_t point = 1) { return sim.Slots().PollStatus(sim.Object(), point, 0); }
    sbtest::LineScript Script() { return sbtest::LineScript(sim.Script()); }
    uint8_t Decode(char status, uint8_t digit) { return sb::DecodeStatus(sim.Driver(), 1, status, digit); }

    sbtest::SimDriver sim;
};

TEST_F(StatusTest, EveryClassOfStatusCharacterGivesItsCode) {
    EXPECT_EQ(Decode('0', 3), 0xC0);
    EXPECT_EQ(Decode('7', 3), 0xC0);
    EXPECT_EQ(Decode('8', 3), 0xC0);
    EXPECT_EQ(Decode('1', 2), 0xE2);
    EXPECT_EQ(Decode('2', 1), 0xD9);
    EXPECT_EQ(Decode(':', 1), 0xD9);
    EXPECT_EQ(Decode(';', 6), 0xDE);
    EXPECT_EQ(Decode('1', static_cast<uint8_t>('/' - '0')), 0xDF);  // the digit wraps modulo 256
    EXPECT_EQ(sim.Point(1).PointState, 0xDF);
    EXPECT_TRUE(sim.Transcript().empty());  // none of these needs the line
}

// The classification alone: code, the started hold after it, the sale's beginning and what must follow.
TEST(StatusClassification, EveryStatusCharacterOnValues) {
    using F = sb::StatusFollowUp;
    struct Case {
        char status;
        uint8_t digit, hold;
        uint8_t code;
        int holdAfter;  // -1: the hold stays as it was
        bool began;
        F followUp;
    };
    const Case cases[] = {
        {'0', 3, 4, 0xC0, 0, false, F::None},
        {'8', 3, 4, 0xC0, 0, false, F::None},
        {'1', 2, 0, 0xE2, -1, false, F::None},
        {'1', 2, 6, 0xEA, 5, false, F::None},
        {'2', 1, 3, 0xD9, 0, true, F::None},
        {';', 6, 0, 0xDE, 0, true, F::None},
        {'3', 1, 3, 0xD1, -1, false, F::TakeFinishedDelivery},
        {'4', 0, 0, 0xD0, -1, false, F::TakeFinishedDelivery},
        {'5', 2, 3, 0xC0, 0, false, F::ReadDeliveryData},
        {'9', 2, 3, 0xC0, -1, false, F::Initialise},
        {'6', 2, 3, 0xC0, 0, false, F::MasterReset},
        {'/', 2, 3, 0xC0, 0, false, F::MasterReset},
        {'<', 2, 3, 0xC0, 0, false, F::MasterReset},
        {'1', 0xFF, 0, 0xDF, -1, false, F::None},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(1, c.status) + " digit " + std::to_string(c.digit));
        const sb::StatusClass status = sb::ClassifyStatus(static_cast<uint8_t>(c.status), c.digit, c.hold);
        EXPECT_EQ(status.code, c.code);
        EXPECT_EQ(status.startHold.has_value() ? int{*status.startHold} : -1, c.holdAfter);
        EXPECT_EQ(status.saleBegan, c.began);
        EXPECT_EQ(status.followUp, c.followUp);
    }
}

TEST_F(StatusTest, FirstPollOfANewObjectOnlyListens) {
    EXPECT_EQ(Poll(), 0xC0u);
    EXPECT_EQ(sim.Sent(), (std::vector<std::string>{"04 30 05", "04 30 05", "04 30 05"}));
    EXPECT_EQ(sim.log.Texts(),
              (std::vector<std::string>{"ЗАПРОС СОСТОЯНИЯ(1)", "Прием ответа(1)", ":  Send(1):  04 30 05",
                                        ":  Прием(1,OK):  04", ":  Send(1):  04 30 05", ":  Прием(1,OK):  04",
                                        ":  Send(1):  04 30 05", ":  Прием(1,OK):  04", "Конец приема ответа(1)",
                                        "ЗАПРОС СОСТОЯНИЯ(1): bad NO BYTE - Init OFF", "Выход СОСТОЯНИЕ(1): C0"}));
    EXPECT_EQ(sim.Point(1).NoReplyCount, 1);
}

TEST_F(StatusTest, StartedStateHoldsForSixReportsOfCharacterOne) {
    sbtest::TakeStart(sim.Point(1), std::nullopt);
    sim.Point(1).PointState = 0xE9;
    for (int i = 0; i < 7; ++i) Script().Reply(StatusReport('1', '2'));
    std::vector<uint32_t> codes;
    for (int i = 0; i < 7; ++i) codes.push_back(Poll());
    EXPECT_EQ(codes, (std::vector<uint32_t>{0xEA, 0xEA, 0xEA, 0xEA, 0xEA, 0xEA, 0xE2}));
    EXPECT_TRUE(sim.log.Has("ВОЗВРАТ СОСТОЯНИЯ(1): EA"));
    EXPECT_TRUE(sim.log.Has("Выход СОСТОЯНИЕ(1): E2"));
}

TEST_F(StatusTest, CharacterSixOrAboveSemicolonAsksForAMasterReset) {
    Script().Reply(StatusReport('6', '0'));
    Script().TakeRequest(14).Nothing(3);  // the MASTER RESET, no reply
    EXPECT_EQ(Poll(), 0xC0u);
    EXPECT_EQ(sim.log.Count("MASTER RESET(1)"), 1u);
    EXPECT_EQ(sim.SentMessages().back().substr(4), "9998ZD0000");

    Script().Reply(StatusReport('A', '0'));
    Script().TakeRequest(14).Nothing(3);
    EXPECT_EQ(Poll(), 0xC0u);
    EXPECT_EQ(sim.log.Count("MASTER RESET(1)"), 2u);
}

TEST_F(StatusTest, MasterResetIsNotNestedInItsOwnStatusDecode) {
    // The MASTER RESET's reply asks for another MASTER RESET, and so does the further reply.
    Script().Reply(StatusReport('6', '0'));
    Script().TakeRequest(14).Reply(StatusReport('6', '0')).Reply(StatusReport('6', '0'));
    EXPECT_EQ(Poll(), 0xC0u);
    EXPECT_EQ(sim.log.Count("MASTER RESET(1)"), 1u);
    EXPECT_FALSE(sim.Point(1).MasterResetPending);
}

TEST_F(StatusTest, EqualFirstCharactersMakeTheNextPollStartWithAMasterReset) {
    Script().Reply(StatusReport('0', '0', '0', '0'));
    EXPECT_EQ(Poll(), 0xC0u);
    EXPECT_TRUE(sim.Point(1).MasterResetPending);
    Script().TakeRequest(14).Nothing(3).Nothing(3);
    sim.log.Texts();
    Poll();
    const std::vector<std::string> texts = sim.log.Texts();
    const auto reset = std::find(texts.begin(), texts.end(), "MASTER RESET(1)");
    const auto second = std::find(texts.begin() + 1, texts.end(), "ЗАПРОС СОСТОЯНИЯ(1)");
    ASSERT_NE(reset, texts.end());
    EXPECT_LT(reset, second);
    EXPECT_FALSE(sim.Point(1).MasterResetPending);
}

TEST_F(StatusTest, StatusNineRequestsIdentificationAndInitialisationWithItsWaits) {
    Script().Reply(StatusReport('9', '0'));
    Script().TakeRequest(16).Nothing(3).TakeRequest(78).Nothing(3);
    EXPECT_EQ(Poll(), 0xC0u);
    EXPECT_TRUE(sim.log.Has("ЗАПРОС СОСТОЯНИЯ: Request INIT(1)"));
    const std::vector<std::string> messages = sim.SentMessages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].substr(4), "9999ZD000002");
    EXPECT_EQ(messages[1].size(), 78u);
    EXPECT_EQ(messages[1].substr(4, 30), "9997ZD0100A0000000000000000000");
    EXPECT_EQ(messages[1].substr(45), "I01000100010001000100010001000100");
    std::vector<uint32_t> waits;
    for (uint32_t sleep : sim.clock.Sleeps()) {
        if (sleep != 20) waits.push_back(sleep);
    }
    EXPECT_EQ(waits, (std::vector<uint32_t>{300, 100, 400}));
}

TEST_F(StatusTest, ReplyOf214CharactersLeadsToInitialisation) {
    Script().Reply(std::string(214, '7'));
    Script().TakeRequest(78).Nothing(3);
    Poll();
    EXPECT_TRUE(sim.log.Has("ЗАПРОС СОСТОЯНИЯ(1): Bad (InByte=214)"));
    EXPECT_TRUE(sim.log.Has("INITIALISATION(1)"));
    EXPECT_EQ(sim.clock.Sleeps().back(), 300u);
    EXPECT_EQ(sim.Point(1).NoReplyCount, 0);

    Script().Reply("0123456789");
    Poll();
    EXPECT_TRUE(sim.log.Has("ЗАПРОС СОСТОЯНИЯ(1): Bad (InByte=10)"));
    EXPECT_EQ(sim.log.Count("INITIALISATION(1)"), 1u);
}

TEST_F(StatusTest, FollowUpCarriesTheDigitOtherThanTheDispensersLast) {
    sim.Point(1).NoReplyCount = 4;
    sim.Link(1).ReplyToggle = '1';
    Script().TakeRequest(4).Nothing(3);
    Poll();
    EXPECT_EQ(sim.SentMessages().back(), "0180");
    EXPECT_EQ(sim.Point(1).NoReplyCount, 5);
}

TEST_F(StatusTest, BadLineLeavesTheCountAndReturnsTheStoredState) {
    sim.Point(2).PointState = 0xD8;
    sim.Point(2).NoReplyCount = 7;
    EXPECT_EQ(Poll(2), 0xD8u);  // point 2 has no dispenser: the polls go unanswered
    EXPECT_TRUE(sim.log.Has("ЗАПРОС СОСТОЯНИЯ(2): Bad (Status=2)"));
    EXPECT_EQ(sim.Point(2).NoReplyCount, 7);

    // One host thread polling points 1 and 2 in turn keeps the whole pause before every exchange.
    sim.clock.RunOnSleeps();
    sim.clock.ClearSleeps();
    sim.port.ClearRecords();
    for (const uint32_t point : {1, 2, 1, 2}) Poll(point);
    EXPECT_EQ(sim.clock.Sleeps(), std::vector<uint32_t>(sim.Transcript().size(), 20));
}

// A dispenser that takes every message and never replies: polls get EOT, selects and blocks DLE "0".
struct DeafPort {
    static int32_t SB_CALL SendReceive(SbPortService* self, uint32_t point, uint8_t* send, uint32_t count, uint8_t*,
                                       uint32_t size, uint32_t) {
        auto* port = reinterpret_cast<DeafPort*>(self);
        sbsim::Bytes answer;
        if (count == 3 && send[1] == '0') answer = {sbsim::kEot};
        if ((count == 3 && send[1] == '1') || send[0] == sbsim::kStx) answer = {sbsim::kDle, '0'};
        if (send[0] == sbsim::kStx) port->messages.push_back(sbsim::ParseBlock(sbsim::Bytes(send, send + count)).data);
        std::copy(answer.begin(), answer.end(), send);
        uint8_t received = static_cast<uint8_t>(answer.size());
        uint8_t replySize = static_cast<uint8_t>(size);
        port->handler.code(port->handler.self, point, send, 0, &received, &replySize);
        return 0;
    }
    static uint32_t SB_CALL LineStatus(SbPortService*, uint32_t) { return 1; }
    static void SB_CALL SetHandler(SbPortService* self, uint32_t, SbReceiveHandler handler) {
        reinterpret_cast<DeafPort*>(self)->handler = handler;
    }
    DeafPort() {
        table.SendReceive = &SendReceive;
        table.LineStatus = &LineStatus;
        table.SetReceiveHandler = &SetHandler;
        base.vtbl = &table;
    }
    SbPortService base{};
    SbPortServiceVtbl table{};
    SbReceiveHandler handler{};
    std::vector<std::string> messages;
};

TEST(SilentPoint, IsAskedOnScheduleAndResetAtTheFortiethPoll) {
    sbtest::RecordingClock clock;
    sbtest::LogCapture log;
    sbtest::TempDir dir;
    DeafPort port;
    SbDriver* object = sb::NewDriver(&port.base, dir.File("cnf.INI"));
    sb::TVM30& driver = sb::TVM30::From(object);

    std::vector<std::string> asked;  // what each poll sent: "" for listening only
    uint32_t lineResultAfterReset = 0;
    for (int poll = 1; poll <= 41; ++poll) {
        if (poll == 40) driver.Point(1).PointState = 0xE5;
        port.messages.clear();
        object->vtbl->PollStatus(object, 1, 0);
        std::string sent;
        for (const std::string& message : port.messages) {
            sent += (sent.empty() ? "" : "+") + (message.size() == 4 ? message : message.substr(4));
        }
        if (!sent.empty()) asked.push_back(std::to_string(poll) + ":" + sent);
        if (poll == 40) lineResultAfterReset = object->vtbl->GetLineResult(object, 1);
    }
    EXPECT_EQ(lineResultAfterReset, 2u);  // nozzle 5 was up (0xE5) when the point fell silent
    EXPECT_EQ(asked, (std::vector<std::string>{"5:0181", "10:0181", "15:0181", "16:0000ZD0000", "20:0181", "25:0181",
                                               "30:0181", "35:0181", "40:0181+9998ZD0000"}));
    EXPECT_EQ(log.Count("ЗАПРОС СОСТОЯНИЯ(1): bad NO BYTE - Init"), 1u);
    EXPECT_EQ(log.Count("ЗАПРОС СОСТОЯНИЯ(1): bad NO BYTE - Init OFF"), 40u);
    EXPECT_EQ(driver.Point(1).NoReplyCount, 2);  // restarted at 1 after the reset, then one more silent poll
    delete &driver;
}

}  // namespace
