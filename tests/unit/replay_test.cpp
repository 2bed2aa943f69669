// The rules by which a recording is played again: which transmissions a recorded dispenser takes for the same,
// where a recorded line answers a driver that parted from its recording, which of the driver's lines open a host
// call and which belong to the call under way, and how START's digits are read back.
#include <gtest/gtest.h>

#include <sstream>

#include "common/Cp1251.h"
#include "replay/RecordedCalls.h"
#include "replay/RecordedLine.h"
#include "replay/RecordedOrders.h"
#include "support/TempDir.h"

namespace {

using sbdecode::Bytes;
using Taken = sbreplay::Misalignment::Taken;

Bytes Block(const std::string& data, uint8_t terminator = 0x03) {
    Bytes block{0x02};
    uint8_t check = terminator;
    for (const char c : data) {
        block.push_back(static_cast<uint8_t>(c));
        check ^= static_cast<uint8_t>(c);
    }
    block.push_back(terminator);
    block.push_back(check);
    return block;
}

const Bytes kPoll{0x04, '0', 0x05};
const Bytes kSelect{0x04, '1', 0x05};
const Bytes kAck0{0x10, '0'};
const Bytes kEot{0x04};

TEST(ReplayAlignment, TheSameTransmissionIsTheSameBytesButForTheStamp) {
    EXPECT_TRUE(sbreplay::SameTransmission(Block("01010002ZD0100"), Block("01100002ZD0100")));
    EXPECT_FALSE(sbreplay::SameTransmission(Block("01010002ZD0100"), Block("01010002ZD0101")));
    EXPECT_FALSE(sbreplay::SameTransmission(Block("01010002ZD0100"), Block("01010002ZD0100", 0x17)));
    Bytes badCheck = Block("01100002ZD0100");
    badCheck.back() ^= 1;
    EXPECT_FALSE(sbreplay::SameTransmission(Block("01010002ZD0100"), badCheck));
    EXPECT_FALSE(sbreplay::SameTransmission(kPoll, kSelect));
}

// A point's conversation as a capture: poll EOT, select ready, a GET DATA block acknowledged, EOT, the reply.
TEST(ReplayAlignment, ARecordedLineAnswersFromTheNearestPlaceItCanJustify) {
    sbtest::TempDir dir;
    const Bytes reply = Block("01100002ZD01020000000");
    sbtest::WriteFile(dir.File("capture"),
                      "12:00:00.000 1 > 04 30 05\n12:00:00.000 1 < 04\n"
                      "12:00:00.020 1 > 04 31 05\n12:00:00.020 1 < 10 30\n"
                      "12:00:00.040 1 > " +
                          sbdecode::HexText(Block("01010002ZD0100")) +
                          "\n12:00:00.040 1 < 10 31\n"
                          "12:00:00.060 1 > 04\n"
                          "12:00:00.080 1 > 04 30 05\n12:00:00.080 1 < " +
                          sbdecode::HexText(reply) + "\n");
    sbreplay::RecordedLine line({{dir.File("capture"), 0}}, 1);
    std::optional<sbreplay::Misalignment> how;
    EXPECT_EQ(line.Answer(kPoll, &how), kEot);
    EXPECT_FALSE(how);
    // A poll again: none ahead before the recording's next data block, so as the poll before.
    EXPECT_EQ(line.Answer(kPoll, &how), kEot);
    ASSERT_TRUE(how);
    EXPECT_EQ(how->taken, Taken::kAgain);
    EXPECT_EQ(how->expected->sent, kSelect);
    // The block with another sequence digit, ahead past the select.
    EXPECT_EQ(line.Answer(Block("01100002ZD0100"), &how), (Bytes{0x10, '1'}));
    ASSERT_TRUE(how);
    EXPECT_EQ(how->taken, Taken::kAhead);
    EXPECT_EQ(how->passedOver, 1u);
    EXPECT_EQ(line.Answer(kEot, &how), Bytes{});
    EXPECT_EQ(line.Answer(kPoll, &how), reply);
    EXPECT_FALSE(how);
    EXPECT_TRUE(line.Ended());
    // Past the end: the reply is not sent twice, the earlier poll's EOT is; what was never recorded, nothing.
    EXPECT_EQ(line.Answer(kPoll, &how), kEot);
    EXPECT_EQ(line.Answer(kAck0, &how), Bytes{});
    ASSERT_TRUE(how);
    EXPECT_EQ(how->taken, Taken::kSilence);
}

TEST(ReplayCalls, TheDriversLinesOpenCallsAndNestedWorkStaysInTheirs) {
    const std::string log = sb::ToCp1251(
        "\r\n"
        "12:00:00.000 MASTER RESET(1)\r\n"
        "12:00:00.020 :  Send(1):  04 30 05\r\n12:00:00.030 :  Прием(1,OK):  04\r\n"
        "12:00:00.040 GET DATA TRANSACTION(1)\r\n"
        "12:00:00.050 ЗАПРОС СОСТОЯНИЯ(1)\r\n"
        "12:00:00.060 Выход СОСТОЯНИЕ(1): D2\r\n"
        "12:00:00.070 GET DATA TRANSACTION(1)\r\n"
        "12:00:00.080 Блокировка предидущего отлива(1). RepeatCount=1\r\n"
        "12:00:00.090 GET DATA TRANSACTION(1)\r\n"
        "12:00:00.100 GET DATA TRANSACTION(1)\r\n"
        "12:00:00.110 GET ITOG DATA TRANSACTION(1)\r\n"
        "12:00:00.120 TRANSACTION No Request(1)\r\n"
        "12:00:00.130 GET COUNTER(1)\r\n"
        "12:00:00.140 RET FAST COUNTER(1): 1,5\r\n"
        "12:00:00.150 FAILURE(1): slot 7: text\r\n");
    std::istringstream in(log);
    sbdecode::TraceReader reader(in);
    std::vector<sbreplay::RecordedCall> calls;
    std::vector<std::size_t> starts;
    sbreplay::CallSplitter splitter({[&](std::size_t line) { starts.push_back(line); },
                                     [&](sbreplay::RecordedCall&& call) { calls.push_back(std::move(call)); }});
    for (sbdecode::TraceRecord record; reader.Next(&record);) splitter.Take(record);
    splitter.Finish();
    EXPECT_EQ(starts, std::vector<std::size_t>{2});
    ASSERT_EQ(calls.size(), 5u);
    EXPECT_EQ(calls[0].call, sbreplay::HostCall::kStatus);
    EXPECT_EQ(calls[0].exchanges.size(), 1u);
    EXPECT_EQ(calls[0].stateCode, 0xD2u);
    EXPECT_EQ(calls[1].call, sbreplay::HostCall::kCurrentData);
    EXPECT_EQ(calls[1].lineNumber, 8u);
    EXPECT_EQ(calls[1].nextLineNumber, 11u);  // the repeated read stayed in it
    EXPECT_EQ(calls[2].call, sbreplay::HostCall::kCurrentData);
    EXPECT_EQ(calls[3].call, sbreplay::HostCall::kFinalData);
    EXPECT_EQ(calls[4].call, sbreplay::HostCall::kCounter);
    EXPECT_TRUE(calls[4].counterFromMemory);
    EXPECT_EQ(calls[4].counterVolume, "1,5");
    // A failure after the call's result line is no failure of it.
    EXPECT_EQ(calls[4].failedSlot, -1);
    EXPECT_EQ(splitter.unplacedFailures(), 1u);
}

TEST(ReplayOrders, StartDigitsSplitWhereNoNumberBeginsWithPadding) {
    const std::optional<sbreplay::StartOrder> usual =
        sbreplay::ReadStartOrder("01010001ZD0102J4590000150K10000", 100, 100);
    ASSERT_TRUE(usual);
    EXPECT_EQ(usual->grade, 2);
    EXPECT_DOUBLE_EQ(usual->price, 45.90);
    EXPECT_TRUE(usual->byVolume);
    EXPECT_DOUBLE_EQ(usual->preset, 1.50);
    EXPECT_EQ(usual->mode, 1u);
    // Eleven digits: a four-digit price would leave a preset of seven beginning with "0", so the price has five.
    const std::optional<sbreplay::StartOrder> wide =
        sbreplay::ReadStartOrder("01010001ZD0103J10000000150K21000", 100, 10);
    ASSERT_TRUE(wide);
    EXPECT_DOUBLE_EQ(wide->price, 100.00);
    EXPECT_FALSE(wide->byVolume);
    EXPECT_DOUBLE_EQ(wide->preset, 15.0);
    EXPECT_EQ(wide->mode, 0u);
    EXPECT_FALSE(sbreplay::ReadStartOrder("01010002ZD0100", 100, 100));
}

}  // namespace
