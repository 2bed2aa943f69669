// Running and final figures of a delivery: plausibility, answers from memory, the previous-sale lock and the
// T10 link unit.
#include <gtest/gtest.h>

#include <algorithm>

#include "operations/DeliveryData.h"
#include "operations/StatusPolling.h"
#include "sim/Replies.h"
#include "support/LineScript.h"
#include "support/SaleSetup.h"
#include "support/SimDriver.h"

namespace {

std::string DataReply(int64_t volume, int64_t amount, int64_t price = 4590) {
    sbsim::SaleFigures sale;
    sale.grade = 1;
    sale.nozzle = 1;
    sale.volume = volume;
    sale.price = price;
    sale.amount = amount;
    return sbsim::DataTransactionReply('1', '0', sale, '3');
}

class DeliveryDataTest : public ::testing::Test {
protected:
    DeliveryDataTest() {
        sim.port.Attach(1);
        point.Price[1] = 4590;
    }

    // The dispenser answers the next GET DATA TRANSACTION with this text.
    void Answer(const std::string& reply, int times = 1) {
        for (int i = 0; i < times; ++i) sbtest::LineScript(sim.Script()).TakeRequest(14).Reply(reply);
    }
    double Read(double* amount, bool markFault = false) {
        const sb::DeliveryReading reading = sb::ReadDeliveryData(sim.Driver(), 1, markFault, true);
        *amount = reading.amount;
        return reading.volume;
    }
    double Current(double* amount) { return sim.Slots().CurrentDeliveryData(sim.Object(), 1, 0, amount); }
    size_t Requests() { return sim.SentMessages().size(); }
    double Final(double* amount) {
        double volume = 9;
        sim.Slots().FinalDeliveryData(sim.Object(), 1, 0, &volume, amount);
        return volume;
    }
    sb::Sale Sale() const { return point.Sale.Now(); }
    // A START taken after a sale of `reference` litres was closed.
    void StartAfter(double reference, std::optional<int64_t> expectedFinal) {
        sbtest::CloseSale(point, reference);
        sbtest::TakeStart(point, expectedFinal);
    }

    sbtest::SimDriver sim;
    sb::FillingPoint& point = sim.Point(1);
};

TEST_F(DeliveryDataTest, PlausibleFiguresAreKept) {
    Answer(DataReply(1000, 45900));
    double amount = 0;
    EXPECT_EQ(Read(&amount), 10.0);
    EXPECT_EQ(amount, 459.0);
    EXPECT_EQ(Sale().volume, 10.0);
    EXPECT_EQ(Sale().amount, 459.0);
    EXPECT_EQ(sim.SentMessages().back(), "01000002ZD0100");
    EXPECT_TRUE(sim.log.Has("GET DATA TRANSACTION(1)"));
    EXPECT_TRUE(sim.log.Has("BIG JUMP LITER(1): 10"));
}

TEST_F(DeliveryDataTest, ImplausibleFiguresAreReturnedButNotKept) {
    StartAfter(0, std::nullopt);
    sbtest::KeepFigures(point, 9);
    Answer(DataReply(1000, 46100));
    double amount = 0;
    EXPECT_EQ(Read(&amount), 10.0);
    EXPECT_EQ(amount, 461.0);
    EXPECT_EQ(Sale().volume, 9.0);
    EXPECT_TRUE(sim.log.Has("NO VALID LITER=SUMMA(1): "));
    EXPECT_FALSE(sim.log.Has("BIG JUMP LITER(1): 1"));
    // As final figures they are handed over with line result 3: the volume is the dispenser's, the amount is not.
    Answer(DataReply(1000, 46100));
    EXPECT_EQ(Final(&amount), 10.0);
    EXPECT_EQ(sim.LineResult(1), 3u);
    // A driver that saw no START nor delivery since it started cannot tell the display's sale from one handed over
    // before it: the final read hands the display's figures over as unread.
    sbtest::SimDriver restarted;
    restarted.port.Attach(1);
    for (int reply = 0; reply < 2; ++reply) {
        sbtest::LineScript(restarted.Script()).TakeRequest(14).Reply(DataReply(500, 22950));
    }
    double volume = 0;
    for (int read = 0; read < 2; ++read) {  // however often
        restarted.Slots().FinalDeliveryData(restarted.Object(), 1, 0, &volume, &amount);
        EXPECT_EQ(volume, 5.0);
        EXPECT_EQ(restarted.LineResult(1), 3u);
    }
    EXPECT_TRUE(restarted.log.Has("GET ITOG DATA TRANSACTION(1): no delivery seen since the start"));
}

TEST_F(DeliveryDataTest, AmountWiderThanItsFieldIsToldByTheStartsPrice) {
    // 200 l at 55.00 is 11,000.00: six digits of hundredths carry 1,000.00.
    sbtest::CloseSale(point, 0);
    sbtest::TakeStart(point, std::nullopt, 5500);
    point.Price[1] = 6000;  // set for the next sale meanwhile: the delivery is judged at its START's price
    Answer(DataReply(20000, 100000));
    double amount = 0;
    EXPECT_EQ(Final(&amount), 200.0);
    EXPECT_EQ(amount, 11000.0);
    EXPECT_EQ(sim.LineResult(1), 1u);
    EXPECT_TRUE(sim.log.Has("AMOUNT WRAPPED(1): 11000"));
}

TEST_F(DeliveryDataTest, BigJumpIsLoggedWithItsSize) {
    sbtest::KeepFigures(point, 0.5);
    Answer(DataReply(300, 13770));
    double amount = 0;
    Read(&amount);
    EXPECT_TRUE(sim.log.Has("BIG JUMP LITER(1): 2.5"));
}

TEST_F(DeliveryDataTest, KeptVolumeAtThePresetIsAnsweredFromMemoryThreeTimes) {
    StartAfter(0, 1000);
    sbtest::KeepFigures(point, 10, 459);
    double amount = 0;
    // The host gets the line's hundredths; the kept volume carries the bookkeeping's steps.
    for (int call = 0; call < 3; ++call) EXPECT_EQ(Current(&amount), 10.0) << call;
    EXPECT_DOUBLE_EQ(Sale().volume, 9.994);
    EXPECT_EQ(amount, 459.0);
    EXPECT_EQ(Requests(), 0u);
    EXPECT_EQ(sim.log.Count("TRANSACTION No Request(1)"), 3u);
    Answer(DataReply(1000, 45900));
    EXPECT_EQ(Current(&amount), 10.0);
    EXPECT_EQ(Requests(), 1u);

    // An amount preset ends at the volume it buys at the START's price: 459.00 at 45.90 is 10 litres, asked for
    // until reached.
    sim.Slots().SetAmountPreset(sim.Object(), 1, 0, 0, 0, 459);
    sim.PriceGrades(1, 45.90);
    sbtest::CloseSale(point, 0);
    sim.Slots().Start(sim.Object(), 1, 0, 1, 1);
    point.Price[1] = 5000;
    sbtest::KeepFigures(point, 9.9, 454.41);
    const size_t before = Requests();
    Answer(DataReply(1000, 45900));
    EXPECT_EQ(Current(&amount), 10.0);
    EXPECT_EQ(Current(&amount), 10.0);
    EXPECT_EQ(Requests(), before + 1);
}

TEST_F(DeliveryDataTest, FillUpFiguresComeFromTheDispenser) {
    StartAfter(0, std::nullopt);
    double amount = 0;
    // Running figures follow the dispenser.
    for (const int64_t running : {50, 75}) {
        Answer(DataReply(running, running * 459 / 10));
        EXPECT_EQ(Current(&amount), static_cast<double>(running) / 100);
    }
    // A finished report whose figures could not be read leaves them unknown: the final read asks the dispenser.
    Answer(DataReply(2000, 91800).substr(0, 35));
    sb::DecodeStatus(sim.Driver(), 1, '4', 1);
    Answer(DataReply(2025, 92948));
    EXPECT_EQ(Final(&amount), 20.25);
    EXPECT_EQ(sim.LineResult(1), 1u);
    // Also after figures read at a finished report: that report may be stale, and the delivery still running.
    sbtest::TakeStart(point, std::nullopt);
    Answer(DataReply(300, 13770));
    sb::DecodeStatus(sim.Driver(), 1, '4', 1);
    const size_t asked = Requests();
    Answer(DataReply(350, 16065));
    EXPECT_EQ(Final(&amount), 3.5);
    EXPECT_EQ(Requests(), asked + 1);
}

TEST_F(DeliveryDataTest, FiguresOfThePreviousSaleAreRefusedAfterAStart) {
    StartAfter(0.5, 2000);
    Answer(DataReply(50, 2295), 7);
    double amount = 9;
    // The previous sale's figures are never this delivery's, however often they are read.
    EXPECT_EQ(Current(&amount), 0.0);
    EXPECT_EQ(amount, 0.0);
    EXPECT_EQ(Current(&amount), 0.0);
    for (int i = 1; i <= 5; ++i) {
        EXPECT_TRUE(sim.log.Has("Блокировка предидущего отлива(1). RepeatCount=" + std::to_string(i))) << i;
    }
    // The dispenser was given its time once: the second read looks once and does not wait again.
    EXPECT_EQ(Requests(), 7u);
    EXPECT_EQ(Sale().stage, sb::DeliveryStage::Awaiting);
    const std::vector<uint32_t> sleeps = sim.clock.Sleeps();
    EXPECT_EQ(std::count(sleeps.begin(), sleeps.end(), 50u), 5);

    Answer(DataReply(50, 2295));
    EXPECT_EQ(Final(&amount), 0.0);
    EXPECT_EQ(amount, 0.0);
    EXPECT_TRUE(sim.log.Has("Блокировка предидущего отлива(1)"));
    EXPECT_TRUE(sim.log.Has("GET ITOG DATA TRANSACTION(1)"));
}

TEST_F(DeliveryDataTest, FirstFiguresAboveTheRepeatCountAreAcceptedOnceItCatchesUp) {
    StartAfter(0, 2000);
    Answer(DataReply(300, 13770), 3);
    double amount = 0;
    EXPECT_EQ(Current(&amount), 3.0);
    EXPECT_TRUE(sim.log.Has("Блокировка предидущего отлива(1). RepeatCount=2"));
    EXPECT_FALSE(sim.log.Has("Блокировка предидущего отлива(1). RepeatCount=3"));
    EXPECT_EQ(Sale().stage, sb::DeliveryStage::Began);
    const std::vector<uint32_t> sleeps = sim.clock.Sleeps();
    EXPECT_EQ(std::count(sleeps.begin(), sleeps.end(), 50u), 2);
}

TEST_F(DeliveryDataTest, FinalDataCloseTheDelivery) {
    StartAfter(0, 2000);
    sbtest::KeepFigures(point, 19.0, 872.1);
    Answer(DataReply(2000, 91800));
    double amount = 0;
    EXPECT_EQ(Final(&amount), 20.0);
    EXPECT_EQ(amount, 918.0);
    EXPECT_EQ(Sale().reference, 20.0);
    EXPECT_TRUE(Sale().referenceKnown);
    EXPECT_FALSE(Sale().displayUnread);
    EXPECT_EQ(Sale().stage, sb::DeliveryStage::Closed);

    // Closed, its figures read again are its own.
    Answer(DataReply(2000, 91800));
    EXPECT_FALSE(sb::ReadDeliveryData(sim.Driver(), 1, false, true).previousSale);

    // After a START: a sale of the previous one's volume is this one's once running figures showed it began,
    // and a hundredth more than the previous sale is a sale of its own.
    for (const bool running : {true, false}) {
        StartAfter(20.0, 2000);
        if (running) {
            Answer(DataReply(250, 11475));
            Current(&amount);
        }
        const int64_t final = running ? 2000 : 2001;
        Answer(DataReply(final, final * 459 / 10));
        EXPECT_EQ(Final(&amount), static_cast<double>(final) / 100) << final;
    }
}

TEST_F(DeliveryDataTest, ReplyOfTheWrongLengthMarksTheFinalDataUnreadable) {
    StartAfter(3, 2000);
    Answer(DataReply(2000, 91800).substr(0, 35));
    double amount = 9;
    EXPECT_EQ(Final(&amount), 0.0);
    EXPECT_EQ(amount, 0.0);
    EXPECT_EQ(sim.Slots().GetLineResult(sim.Object(), 1), 3u);
    // Nothing showed the delivery began: the previous sale stays the reference for the host's next try.
    EXPECT_EQ(Sale().reference, 3.0);
    EXPECT_EQ(Sale().stage, sb::DeliveryStage::Awaiting);
    Answer(DataReply(300, 13770));
    EXPECT_EQ(Final(&amount), 0.0);
    // Once it began, the unread figures close it.
    sb::SaleFacts delivering;
    delivering.began = true;
    point.Sale.Apply(sb::SaleEvent::StatusReported, delivering);
    Answer(DataReply(2000, 91800).substr(0, 35));
    Final(&amount);
    EXPECT_EQ(Sale().reference, 0.0);
    EXPECT_EQ(Sale().stage, sb::DeliveryStage::Closed);
    // Its unread figures stay on the display: after the next START the first figures stand in for them.
    sbtest::TakeStart(point, 2000);
    Answer(DataReply(2000, 91800), 6);
    EXPECT_EQ(Current(&amount), 0.0);
    EXPECT_EQ(Sale().reference, 20.0);
    // Unread after it never began, then a START: a sale the driver never saw may be on the display by now, so
    // figures other than the previous sale's do not show that the new delivery began.
    Answer(DataReply(2000, 91800).substr(0, 35));
    Final(&amount);
    sim.PriceGrades(1, 45.90);
    sim.Slots().Start(sim.Object(), 1, 0, 1, 1);
    Answer(DataReply(125, 5738));
    EXPECT_EQ(Final(&amount), 0.0);
    sbtest::CloseSale(point, 1.25);  // closed by a finished report that was stale, say
    sim.port.ThrowOnExchanges(1);    // a final read that fails leaves the display unread all the same
    EXPECT_THROW(Final(&amount), sb::ESerialIO);
    EXPECT_TRUE(Sale().displayUnread);
}

TEST_F(DeliveryDataTest, FieldThatIsNotANumberMakesTheReplyUnusable) {
    std::string reply = DataReply(1000, 45900);
    reply[17] = ' ';
    Answer(reply);
    double amount = 7;
    EXPECT_EQ(Read(&amount, true), 0.0);
    EXPECT_EQ(amount, 0.0);
    EXPECT_EQ(sim.LineResult(1), 3u);
    EXPECT_EQ(Sale().volume, 0.0);
    EXPECT_TRUE(sim.log.Has("GET DATA TRANSACTION(1): wrong number"));
}

TEST_F(DeliveryDataTest, ZeroPriceAndZeroScaleNeverProduceInfinities) {
    point.Price[1] = 0;
    sim.Driver().SDec = 0;
    StartAfter(0, std::nullopt);
    Answer(DataReply(1000, 45900, 0));
    const sb::DeliveryReading reading = sb::ReadDeliveryData(sim.Driver(), 1, false, false);
    EXPECT_EQ(reading.volume, 10.0);
    EXPECT_EQ(reading.amount, 0.0);
    EXPECT_TRUE(sim.log.Has("SDec=0(1): amount taken as 0"));
    EXPECT_EQ(Requests(), 1u);  // with no price the dispenser is asked rather than guessed
}
TEST_F(DeliveryDataTest, LinkUnitCounterGivesTheVolumeInHundredths) {
    point.T10Line = true;
    point.Price[1] = 4590;
    sim.Script().ScriptAnswer({0x02, '2', 0x10, 0x27});
    double amount = 0;
    EXPECT_EQ(Current(&amount), 100.0);
    EXPECT_DOUBLE_EQ(amount, 4590.0);
    EXPECT_EQ(sim.Sent(), (std::vector<std::string>{"30 30 30 32 5A 44"}));
    EXPECT_EQ(sim.Link(1).Stats.Answers, 1u) << "the link unit's unframed answer is a readable one";

    sim.Script().ScriptAnswer({0x02, '1', 0x10, 0x27});
    EXPECT_EQ(Current(&amount), 0.0);
    EXPECT_EQ(amount, 0.0);
}

TEST_F(DeliveryDataTest, LinkUnitFailureAtThePortRaisesItsOwnText) {
    point.T10Line = true;
    sim.port.SetErrorResult(-1);
    sim.port.ThrowOnExchanges(1);
    double amount = 0;
    try {
        Current(&amount);
        FAIL() << "no failure";
    } catch (const sb::ESerialIO& failure) {
        EXPECT_EQ(failure.Utf8(), "Невозможно запросить данные со счетчика блока связи");
    }
}

TEST_F(DeliveryDataTest, FinishedStatusTakesTheFiguresUnlessTheyAreThePreviousSales) {
    StartAfter(4.0, std::nullopt);
    Answer(DataReply(400, 18360));
    EXPECT_EQ(sb::DecodeStatus(sim.Driver(), 1, '3', 1), 0xD1);
    EXPECT_TRUE(sim.log.Has("Блокировка предидущего отлива 2(1)"));
    EXPECT_EQ(Sale().volume, 0.0);
    EXPECT_EQ(Sale().stage, sb::DeliveryStage::Awaiting);

    Answer(DataReply(1200, 55080));
    EXPECT_EQ(sb::DecodeStatus(sim.Driver(), 1, '4', 0), 0xD0);
    EXPECT_NEAR(Sale().reference, 12.0, 0.004);
    EXPECT_EQ(Sale().stage, sb::DeliveryStage::Finished);
}

}  // namespace
