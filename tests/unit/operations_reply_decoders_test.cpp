// The catalogue's requests and the reply decoders, on bytes alone: no line, no driver object.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "operations/CommandCatalogue.h"
#include "operations/ReplyDecoders.h"
#include "sim/Replies.h"

namespace {

using sb::Command;

std::vector<uint8_t> Bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

struct Request {
    Command command;
    sb::RequestHeader header;
    std::vector<std::string_view> fields;
    std::string expected;  // "refused" when the fields do not fit the entry
};

TEST(CommandCatalogue, RequestsHaveTheBytesEachOperationSends) {
    const std::string init = "00009997ZD0100A" + std::string(26, '0') + "0110I" + "01000100010001000100010001000100";
    const Request requests[] = {
        {Command::StatusRequest, {'0', '0'}, {}, "01000000ZD0000"},
        {Command::StatusFollowUp, {'1', '1'}, {"0"}, "0180"},
        {Command::Start, {'0', '0'}, {"01", "1", "0012", "050000", "2", "1"}, "01000001ZD0101J0012050000K21000"},
        {Command::Start, {'1', '0'}, {"01", "2", "4590", "000029", "1", "0"}, "01100001ZD0102J4590000029K10000"},
        {Command::GetDataTransaction, {'0', '0'}, {"01"}, "01000002ZD0100"},
        {Command::GetCounter, {'0', '0'}, {"01"}, "01000003ZD0100"},
        {Command::FillingPointControl, {'0', '0'}, {"01", "0"}, "01000004ZD01000011"},
        {Command::FillingPointControl, {'1', '0'}, {"01", "1"}, "01100004ZD01001011"},
        {Command::Initialisation, {'0', '0'}, {"01"}, init},
        {Command::MasterReset, {'1', '0'}, {}, "00109998ZD0000"},
        {Command::Identification, {'0', '1'}, {}, "00019999ZD000002"},
        {Command::ResetConfirmation, {'9', '9'}, {"0", "1"}, "01<600"},
        {Command::LinkUnitCounter, {'9', '9'}, {}, "0002ZD"},
        // A field of another width, or another number of fields, would shift the message: nothing is built.
        {Command::Start, {'0', '0'}, {"01", "1", "10000", "050000", "2", "1"}, "refused"},
        {Command::Start, {'0', '0'}, {"01", "10", "0012", "050000", "2", "1"}, "refused"},
        {Command::GetCounter, {'0', '0'}, {}, "refused"},
        {Command::MasterReset, {'0', '0'}, {"01"}, "refused"},
    };
    for (const Request& request : requests) {
        const sb::CommandEntry& entry = sb::CatalogueEntry(request.command);
        sb::DispenserMessage message;
        message.length = 9;
        const bool built =
            sb::BuildRequest(entry, request.header, request.fields.data(), request.fields.size(), message);
        const std::string text(message.bytes.begin(), message.bytes.begin() + message.length);
        EXPECT_EQ(built ? text : "refused", request.expected) << entry.name;
        EXPECT_EQ(message.length, built ? sb::RequestLength(entry) : 0u) << entry.name;
    }
    EXPECT_STREQ(sb::CatalogueEntry(Command::GetDataTransaction).name, "GET DATA TRANSACTION(");
    EXPECT_EQ(sb::CatalogueEntry(Command::GetCounter).reply, sb::ReplyKind::Counter);
}

TEST(ReplyDecoders, FiguresFromRepliesAndNothingFromUnusableOnes) {
    // Status report: character 15, digit 13 (modulo 256), characters 0 and 1 equal ask for a MASTER RESET.
    auto status = Bytes(sbsim::StatusReport('0', '0', '3', 5));
    auto report = sb::DecodeStatusReport(status.data(), status.size());
    ASSERT_TRUE(report);
    EXPECT_EQ(report->statusChar, '3');
    EXPECT_EQ(report->digit, 5);
    EXPECT_FALSE(report->resetAsked);
    status = Bytes(sbsim::StatusReport('1', '0', ';', -1));
    report = sb::DecodeStatusReport(status.data(), status.size());
    ASSERT_TRUE(report);
    EXPECT_EQ(report->digit, 0xFF);
    EXPECT_TRUE(report->resetAsked);
    EXPECT_FALSE(sb::DecodeStatusReport(status.data(), 17));

    // Delivery: six digits of hundredths at 15, six of amount at 26, divided by the amount scale (0: amount 0).
    sbsim::SaleFigures sale{1, 1, 1000, 4590, 45900};
    auto delivery = Bytes(sbsim::DataTransactionReply('1', '0', sale, '3'));
    for (const auto& [scale, amount] : std::vector<std::pair<int32_t, double>>{{100, 459.0}, {1000, 45.9}, {0, 0}}) {
        const auto figures = sb::DecodeDeliveryReply(delivery.data(), delivery.size(), scale);
        ASSERT_TRUE(figures) << scale;
        EXPECT_EQ(figures->volume, 10.0);
        EXPECT_DOUBLE_EQ(figures->amount, amount) << scale;
    }
    EXPECT_FALSE(sb::DecodeDeliveryReply(delivery.data(), 35, 100));
    delivery.push_back('0');
    EXPECT_FALSE(sb::DecodeDeliveryReply(delivery.data(), delivery.size(), 100));
    delivery[17] = ' ';
    EXPECT_FALSE(sb::DecodeDeliveryReply(delivery.data(), 36, 100));

    // Counters: record k holds grade k's ten-digit totals, volume at 21k-6 and amount at 21k+4.
    sbsim::Totals volumes{};
    sbsim::Totals amounts{};
    for (int k = 1; k <= 8; ++k) {
        volumes[k] = 100000000LL * k + 23456;
        amounts[k] = 200000000LL * k + 123456;
    }
    auto counter = Bytes(sbsim::CounterReply('1', '0', volumes, amounts));
    for (int32_t grade : {1, 6, 8}) {
        const auto totals = sb::DecodeCounterRecord(counter.data(), counter.size(), grade, 100);
        ASSERT_TRUE(totals) << grade;
        EXPECT_DOUBLE_EQ(totals->volume, grade * 1000000.0 + 234.56) << grade;
        EXPECT_DOUBLE_EQ(totals->amount, grade * 2000000.0 + 1234.56) << grade;
    }
    EXPECT_EQ(sb::DecodeCounterRecord(counter.data(), counter.size(), 1, 1)->amount, 200123456.0);
    EXPECT_EQ(sb::DecodeCounterRecord(counter.data(), counter.size(), 1, 0)->amount, 0.0);
    EXPECT_FALSE(sb::DecodeCounterRecord(counter.data(), counter.size(), 0, 100));
    EXPECT_FALSE(sb::DecodeCounterRecord(counter.data(), counter.size(), 9, 100));
    EXPECT_FALSE(sb::DecodeCounterRecord(counter.data(), 181, 1, 100));
    counter[40] = 'x';  // inside grade 2's volume
    EXPECT_FALSE(sb::DecodeCounterRecord(counter.data(), counter.size(), 2, 100));
    EXPECT_TRUE(sb::DecodeCounterRecord(counter.data(), counter.size(), 1, 100));

    // Link unit: STX, "2", hundredths low byte first.
    const std::vector<uint8_t> unit{0x02, '2', 0x10, 0x27, 0x55};
    EXPECT_EQ(sb::DecodeLinkUnitReply(unit.data(), 4), 100.0);
    EXPECT_EQ(sb::DecodeLinkUnitReply(unit.data(), 5), 100.0);
    EXPECT_FALSE(sb::DecodeLinkUnitReply(unit.data(), 3));
    const std::vector<uint8_t> other{0x02, '1', 0x10, 0x27};
    EXPECT_FALSE(sb::DecodeLinkUnitReply(other.data(), other.size()));

    // Nothing is read from an empty reply.
    EXPECT_FALSE(sb::DecodeStatusReport(nullptr, 0));
    EXPECT_FALSE(sb::DecodeDeliveryReply(nullptr, 0, 100));
    EXPECT_FALSE(sb::DecodeCounterRecord(nullptr, 0, 1, 100));
    EXPECT_FALSE(sb::DecodeLinkUnitReply(nullptr, 0));
}

}  // namespace
