#include <gtest/gtest.h>

#include "sim/Dispenser.h"
#include "unit/sim_client.h"

namespace sbsim {
namespace {

// START for a grade with price, preset digits (six) and kind, start mode character "0".
std::string Start(int grade, const std::string& price, const std::string& preset, char kind) {
    return OnChannel('1', "0001ZD010" + std::to_string(grade) + "J" + price + preset + "K" + kind + "0000");
}

// Status character and nozzle digit of an 18-character report, e.g. "2/3".
std::string StatusOf(const std::string& report) {
    if (report.size() != kStatusReportLength) return "len " + std::to_string(report.size());
    return std::string{report[15], '/', report[13]};
}

// Polls until the dispenser has nothing more to say and lists the reports it sent.
std::vector<std::string> DrainReports(Dispenser& dispenser, int polls) {
    std::vector<std::string> statuses;
    for (int i = 0; i < polls; ++i) {
        const std::string message = ReceiveMessage(dispenser);
        if (!message.empty()) statuses.push_back(StatusOf(message));
    }
    return statuses;
}

TEST(SimModel, ParsesStartFields) {
    const Request volume = ParseRequest(Start(2, "4590", "002000", '1'));
    ASSERT_EQ(volume.kind, RequestKind::Start);
    EXPECT_EQ(volume.text.size(), 31u);
    EXPECT_EQ(volume.channel, '1');
    EXPECT_EQ(volume.start.pointCode, "01");
    EXPECT_EQ(volume.start.grade, 2);
    EXPECT_EQ(volume.start.price, 4590);
    EXPECT_EQ(volume.start.preset, 2000);
    EXPECT_EQ(volume.start.kind, '1');
    EXPECT_EQ(volume.start.mode, '0');

    const Request widePrice = ParseRequest(Start(6, "12345", "050000", '2'));  // the price takes the extra digit
    ASSERT_EQ(widePrice.kind, RequestKind::Start);
    EXPECT_EQ(widePrice.start.price, 12345);
    EXPECT_EQ(widePrice.start.preset, 50000);

    EXPECT_EQ(ParseRequest(Start(7, "4590", "002000", '1')).kind, RequestKind::Invalid);
    EXPECT_EQ(ParseRequest(Start(1, "4590", "002000", '3')).kind, RequestKind::Invalid);
    EXPECT_EQ(ParseRequest(Start(1, "123456", "002000", '1')).kind, RequestKind::Invalid);
    EXPECT_EQ(ParseRequest(OnChannel('1', "0001ZD0101J4590002000X10000")).kind, RequestKind::Invalid);
    EXPECT_EQ(ParseRequest(OnChannel('1', "0001ZD0101J45A0002000K10000")).kind, RequestKind::Invalid);
}

TEST(SimModel, ClassifiesEveryMessageOfTheCatalogue) {
    EXPECT_EQ(ParseRequest(OnChannel('1', "0000ZD0000")).kind, RequestKind::Status);
    EXPECT_EQ(ParseRequest("0181").kind, RequestKind::StatusFollowUp);
    EXPECT_EQ(ParseRequest("0180").kind, RequestKind::StatusFollowUp);
    EXPECT_EQ(ParseRequest(OnChannel('1', "0002ZD0100")).kind, RequestKind::DataTransaction);
    EXPECT_EQ(ParseRequest(OnChannel('1', "0003ZD0100")).kind, RequestKind::Counter);
    const Request on = ParseRequest(OnChannel('1', "0004ZD01001011"));
    EXPECT_EQ(on.kind, RequestKind::PointControl);
    EXPECT_TRUE(on.switchOn);
    EXPECT_FALSE(ParseRequest(OnChannel('1', "0004ZD01000011")).switchOn);
    EXPECT_EQ(ParseRequest(OnChannel('1', "0004ZD01002011")).kind, RequestKind::Invalid);
    EXPECT_EQ(ParseRequest(OnChannel('0', "9997ZD0100A")).kind, RequestKind::Initialisation);
    EXPECT_EQ(ParseRequest(OnChannel('0', "9998ZD0000")).kind, RequestKind::MasterReset);
    EXPECT_EQ(ParseRequest(OnChannel('0', "9999ZD000002")).kind, RequestKind::Identification);
    EXPECT_EQ(ParseRequest("01<600").kind, RequestKind::ResetConfirmation);
    EXPECT_EQ(ParseRequest(OnChannel('1', "0005ZD0100")).kind, RequestKind::Unknown);
}

TEST(SimModel, StatusReportLayout) {
    Dispenser dispenser;
    dispenser.point().LiftNozzle(3);
    ReceiveMessage(dispenser);  // the unsolicited report of the lift
    const std::string report = Ask(dispenser, OnChannel('1', "0000ZD0000"));
    ASSERT_EQ(report.size(), kStatusReportLength);
    EXPECT_EQ(report.substr(0, 2), "01");  // different first characters: no MASTER RESET wanted
    EXPECT_EQ(report[15], '1');
    EXPECT_EQ(report[13], '3');
    EXPECT_EQ(report.substr(4, 6), "0000ZD");
    EXPECT_EQ(StatusOf(Ask(dispenser, "0181")), "1/3");
}

TEST(SimModel, WalksThroughAVolumePresetDelivery) {
    PointConfig config;
    config.flowPerPoll = 150;
    Dispenser dispenser(config);
    dispenser.point().SetTotals(2, 100000, 459000);
    dispenser.point().LiftNozzle(2);
    EXPECT_EQ(DrainReports(dispenser, 1), (std::vector<std::string>{"1/2"}));

    ASSERT_TRUE(SendMessage(dispenser, Start(2, "4590", "000400", '1')));  // 4 litres at 45.90
    EXPECT_EQ(ReceiveMessage(dispenser).size(), 4u);  // the acknowledgement; that poll opened the valve
    EXPECT_EQ(dispenser.point().state(), PointState::Delivering);

    // Each poll advances the delivery by 1.50 litres, the last step clipped to the preset; reports queue
    // behind each other, so each arrives one poll after its change.
    EXPECT_EQ(DrainReports(dispenser, 1), (std::vector<std::string>{"1/2"}));
    EXPECT_EQ(dispenser.point().sale().volume, 150);
    EXPECT_EQ(DrainReports(dispenser, 2), (std::vector<std::string>{"2/2", "3/2"}));
    EXPECT_EQ(dispenser.point().sale().volume, 400);
    EXPECT_EQ(dispenser.point().sale().amount, 18360);
    EXPECT_EQ(DrainReports(dispenser, 3), std::vector<std::string>{});  // stopped: nothing more to report

    dispenser.point().HangNozzle();
    EXPECT_EQ(DrainReports(dispenser, 1), (std::vector<std::string>{"4/2"}));
    const std::string data = Ask(dispenser, OnChannel('1', "0002ZD0100"));
    EXPECT_EQ(data.substr(15, 6), "000400");
    EXPECT_EQ(data.substr(26, 6), "018360");
    EXPECT_EQ(DrainReports(dispenser, 1), (std::vector<std::string>{"0/0"}));  // sale collected

    EXPECT_EQ(dispenser.point().VolumeTotal(2), 100400);
    EXPECT_EQ(dispenser.point().AmountTotal(2), 477360);
    EXPECT_EQ(dispenser.point().VolumeTotal(1), 0);
}

TEST(SimModel, AmountPresetEndsAtTheAmountExactly) {
    PointConfig config;
    config.flowPerPoll = 10;
    Dispenser dispenser(config);
    ASSERT_TRUE(SendMessage(dispenser, Start(1, "4590", "001000", '2')));  // 10.00 at 45.90: 0.22 litres
    dispenser.point().LiftNozzle(1);
    DrainReports(dispenser, 8);
    EXPECT_EQ(dispenser.point().state(), PointState::Finished);
    EXPECT_EQ(dispenser.point().sale().volume, 22);
    EXPECT_EQ(dispenser.point().sale().amount, 1000);
    EXPECT_EQ(dispenser.point().AmountTotal(1), 1000);
    EXPECT_EQ(dispenser.point().VolumeTotal(1), 22);
}

TEST(SimModel, DeliveryWithoutPresetFillsTheTankAndHonoursScales) {
    PointConfig config;
    config.flowPerPoll = 1000;
    config.tankCapacity = 2500;
    config.amountScale = 1000;  // amounts in thousandths
    config.priceScale = 10;     // price 459 is 45.9 per litre
    Dispenser dispenser(config);
    dispenser.point().LiftNozzle(1);
    ASSERT_TRUE(SendMessage(dispenser, Start(1, "0459", "000000", '2')));
    DrainReports(dispenser, 6);
    EXPECT_EQ(dispenser.point().sale().volume, 2500);
    EXPECT_EQ(dispenser.point().sale().amount, 1147500);  // 25 l × 45.9 in thousandths
}

TEST(SimModel, DataTransactionReplyFields) {
    PointConfig config;
    config.flowPerPoll = 100;
    Dispenser dispenser(config);
    dispenser.point().LiftNozzle(4);
    ASSERT_TRUE(SendMessage(dispenser, Start(4, "5120", "000300", '1')));
    DrainReports(dispenser, 6);
    const std::string data = Ask(dispenser, OnChannel('1', "0002ZD0100"));
    ASSERT_EQ(data.size(), kDataTransactionLength);
    EXPECT_EQ(data.substr(4, 6), "0002ZD");
    EXPECT_EQ(data.substr(12, 2), "04");
    EXPECT_EQ(data.substr(15, 6), "000300");
    EXPECT_EQ(data.substr(21, 5), "05120");
    EXPECT_EQ(data.substr(26, 6), "015360");
    EXPECT_EQ(data[32], '3');
}

TEST(SimModel, CounterReplyFields) {
    Dispenser dispenser;
    dispenser.point().SetTotals(1, 123456789, 5000000001);
    dispenser.point().SetTotals(4, 42, 7);
    const std::string counter = Ask(dispenser, OnChannel('1', "0003ZD0100"));
    ASSERT_EQ(counter.size(), kCounterReplyLength);
    EXPECT_EQ(counter.substr(4, 6), "0003ZD");
    EXPECT_EQ(counter.substr(15, 10), "0123456789");
    EXPECT_EQ(counter.substr(25, 10), "5000000001");
    EXPECT_EQ(counter.substr(78, 10), "0000000042");
    EXPECT_EQ(counter.substr(88, 10), "0000000007");
    for (int k = 1; k <= 8; ++k) EXPECT_EQ(counter[21 * k - 7], '0' + k);
    EXPECT_EQ(counter.substr(162, 20), std::string(20, '0'));
}

TEST(SimModel, RepliesCarryAlternatingSequenceDigitsAndTheRequestsChannel) {
    Dispenser dispenser;
    const std::string first = Ask(dispenser, OnChannel('1', "0000ZD0000"));
    const std::string second = Ask(dispenser, OnChannel('1', "0003ZD0100"));
    const std::string third = Ask(dispenser, OnChannel('0', "9999ZD000002"));
    EXPECT_EQ(first[2], '0');
    EXPECT_EQ(second[2], '1');
    EXPECT_EQ(third[2], '0');
    EXPECT_EQ(third[1], '0');
    EXPECT_EQ(third.substr(4, 6), "9999ZD");
    Ask(dispenser, OnChannel('1', "0000ZD0000"));                     // digit 1
    EXPECT_EQ(Ask(dispenser, OnChannel('0', "9998ZD0000"))[2], '0');  // MASTER RESET starts again at 0
}

TEST(SimModel, MasterResetWantedUntilItArrives) {
    Dispenser dispenser;
    dispenser.point().RequestMasterReset();
    const std::string wanted = ReceiveMessage(dispenser);
    ASSERT_EQ(wanted.size(), kStatusReportLength);
    EXPECT_EQ(wanted[0], wanted[1]);
    EXPECT_EQ(Ask(dispenser, "0181").substr(0, 2), "11");
    const std::string reply = Ask(dispenser, OnChannel('0', "9998ZD0000"));
    ASSERT_EQ(reply.size(), kStatusReportLength);
    EXPECT_EQ(reply.substr(0, 2), "01");
    EXPECT_FALSE(dispenser.point().masterResetRequested());
}

TEST(SimModel, InitialisationWantedUntilItArrives) {
    Dispenser dispenser;
    dispenser.point().RequestInitialisation();
    EXPECT_TRUE(dispenser.point().initialisationRequested());
    EXPECT_EQ(DrainReports(dispenser, 1), (std::vector<std::string>{"9/0"}));
    EXPECT_EQ(Ask(dispenser, OnChannel('0', "9999ZD000002")).substr(4, 6), "9999ZD");
    EXPECT_EQ(StatusOf(Ask(dispenser, OnChannel('1', "0000ZD0000"))), "9/0");
    const std::string init =
        OnChannel('0', "9997ZD0100A" + std::string(26, '0') + "0110I") + "01000100010001000100010001000100";
    ASSERT_EQ(init.size(), 78u);
    EXPECT_EQ(Ask(dispenser, init).size(), 4u);
    EXPECT_FALSE(dispenser.point().initialisationRequested());
    EXPECT_EQ(DrainReports(dispenser, 1), (std::vector<std::string>{"0/0"}));
}

TEST(SimModel, PowerCycleStopsTheSaleAndAsksForInitialisation) {
    Dispenser dispenser;
    dispenser.point().LiftNozzle(1);
    ASSERT_TRUE(SendMessage(dispenser, Start(1, "1000", "002000", '1')));  // 20 litres at 10.00
    DrainReports(dispenser, 3);
    ASSERT_EQ(Ask(dispenser, "0181")[2], '0');  // the next reply's digit would be 1
    dispenser.point().RequestReset();
    ASSERT_TRUE(IsBlock(Poll(dispenser)));  // the first block of a message, not acknowledged
    const int64_t volume = dispenser.point().sale().volume;
    dispenser.PowerCycle(DisplayAfterPower::Kept);
    EXPECT_EQ(Acknowledge(dispenser, '0'), (Bytes{kEot}));  // the block on its way was forgotten
    EXPECT_EQ(ReceiveMessage(dispenser).substr(0, 3), "010");
    EXPECT_EQ(DrainReports(dispenser, 3), std::vector<std::string>{});  // the authorisation is gone
    EXPECT_EQ(StatusOf(Ask(dispenser, "0181")), "9/1");
    EXPECT_EQ(Ask(dispenser, OnChannel('1', "0002ZD0100")).substr(15, 6), FixedDigits(volume, 6));
    dispenser.PowerCycle(DisplayAfterPower::Reset);
    EXPECT_EQ(dispenser.point().sale().volume, 0);
    EXPECT_EQ(dispenser.point().VolumeTotal(1), volume);
}

TEST(SimModel, ResetRequestIsConfirmedWithAStatusReport) {
    Dispenser dispenser;
    dispenser.point().RequestReset();
    EXPECT_EQ(ReceiveMessage(dispenser), "01?0");
    EXPECT_TRUE(dispenser.point().resetRequested());
    const std::string reply = Ask(dispenser, "01<600");
    EXPECT_EQ(StatusOf(reply), "0/0");
    EXPECT_EQ(reply[2], '0');
    EXPECT_FALSE(dispenser.point().resetRequested());
}

TEST(SimModel, SwitchedOffPointRefusesStartUntilSwitchedOn) {
    Dispenser dispenser;
    EXPECT_EQ(Ask(dispenser, OnChannel('1', "0004ZD01000011")).size(), 4u);
    EXPECT_EQ(DrainReports(dispenser, 1), (std::vector<std::string>{"7/0"}));
    EXPECT_EQ(Ask(dispenser, Start(1, "4590", "000100", '1')), "0190");
    EXPECT_FALSE(dispenser.point().lastStart().has_value());
    Ask(dispenser, OnChannel('1', "0004ZD01001011"));
    EXPECT_EQ(DrainReports(dispenser, 1), (std::vector<std::string>{"0/0"}));
    EXPECT_EQ(Ask(dispenser, Start(1, "4590", "000100", '1')).size(), 4u);
    EXPECT_EQ(DrainReports(dispenser, 1), (std::vector<std::string>{"1/1"}));
}

TEST(SimModel, SwitchingOffStopsARunningDelivery) {
    Dispenser dispenser;
    dispenser.point().LiftNozzle(1);
    SendMessage(dispenser, Start(1, "4590", "000000", '1'));
    DrainReports(dispenser, 4);
    ASSERT_EQ(dispenser.point().state(), PointState::Delivering);
    Ask(dispenser, OnChannel('1', "0004ZD01000011"));
    EXPECT_EQ(dispenser.point().state(), PointState::Finished);
    const int64_t volume = dispenser.point().sale().volume;
    DrainReports(dispenser, 3);
    EXPECT_EQ(dispenser.point().sale().volume, volume);
}

TEST(SimModel, AuthorisationEndsWithoutFuelWhenTheNozzleIsHung) {
    Dispenser dispenser;
    dispenser.point().LiftNozzle(2);
    EXPECT_EQ(Ask(dispenser, Start(3, "4590", "000100", '1')).size(), 4u);  // not the nozzle's grade: no flow
    EXPECT_EQ(DrainReports(dispenser, 4), (std::vector<std::string>{"1/2"}));
    EXPECT_EQ(dispenser.point().state(), PointState::Authorised);
    dispenser.point().HangNozzle();
    EXPECT_EQ(DrainReports(dispenser, 1), (std::vector<std::string>{"5/3"}));
    EXPECT_EQ(Ask(dispenser, OnChannel('1', "0002ZD0100")).substr(15, 6), "000000");
    EXPECT_EQ(DrainReports(dispenser, 1), (std::vector<std::string>{"0/0"}));
}

TEST(SimModel, RefusesStartWhileDeliveringAndUnknownCommands) {
    Dispenser dispenser;
    dispenser.point().LiftNozzle(1);
    SendMessage(dispenser, Start(1, "4590", "000000", '1'));
    DrainReports(dispenser, 3);
    EXPECT_EQ(Ask(dispenser, Start(1, "4590", "000100", '1')), "0190");
    EXPECT_EQ(Ask(dispenser, OnChannel('1', "0005ZD0100")), "0190");
    EXPECT_EQ(Ask(dispenser, Start(1, "0000", "000100", '2')), "0190");  // no price: no amount preset
}

TEST(SimModel, LinkUnitCountsTheDeliveryVolume) {
    PointConfig config;
    config.linkUnit = true;
    config.flowPerPoll = 40000;
    config.tankCapacity = 70000;
    Dispenser dispenser(config);
    const Bytes request = ToBytes("0002ZD");
    EXPECT_EQ(Hex(dispenser.Exchange(request)), "02 32 00 00");
    dispenser.point().LiftNozzle(1);
    SendMessage(dispenser, Start(1, "4590", "000000", '1'));
    DrainReports(dispenser, 5);
    ASSERT_EQ(dispenser.point().sale().volume, 70000);
    EXPECT_EQ(Hex(dispenser.Exchange(request)), "02 32 70 11");  // 70000 mod 65536 = 0x1170

    Dispenser plain;
    EXPECT_TRUE(plain.Exchange(request).empty());
}

}  // namespace
}  // namespace sbsim
