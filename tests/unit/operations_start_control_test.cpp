// START with grade, price and preset, and switching filling points on and off.
#include <gtest/gtest.h>

#include <cfenv>

#include "common/Cp1251.h"
#include "support/LineScript.h"
#include "support/SaleSetup.h"
#include "support/SimDriver.h"

namespace {

class StartTest : public ::testing::Test {
protected:
    StartTest() {
        sim.port.Attach(1);
        for (uint32_t point : {1, 2}) sim.PriceGrades(point);
    }

    // START on point 1 against a dispenser that takes it and answers nothing; returns the message it got.
    std::string Start(int32_t grade, uint32_t mode) {
        sim.port.ClearRecords();
        sbtest::LineScript(sim.Script()).TakeRequest(31).Nothing(3).Nothing(3);
        sim.Slots().Start(sim.Object(), 1, 0, grade, mode);
        const std::vector<std::string> messages = sim.SentMessages();
        return messages.empty() ? "" : messages.back();
    }

    // The reason of the failure START raises (grade 1), or ~0 when it raised none.
    uint32_t FailedStartReason(uint32_t point) {
        try {
            sim.Slots().Start(sim.Object(), point, 0, 1, 1);
        } catch (const sb::ESerialIO& failure) {
            return failure.Reason();
        }
        return ~0u;
    }

    sbtest::SimDriver sim;
};

TEST_F(StartTest, MessageCarriesGradePriceAndVolumePreset) {
    sim.Slots().SetPrice(sim.Object(), 1, 0, 2, 0, 0, 45.90);
    sim.Slots().SetVolumePreset(sim.Object(), 1, 0, 0, 0, 20.0);
    EXPECT_EQ(Start(2, 1), "01000001ZD0102J4590002000K10000");
    EXPECT_TRUE(sim.log.Has("START(1)"));
    EXPECT_TRUE(sim.log.Has("END START(1)"));
    // The further reply is collected without the point's lock, then the 80 ms pause.
    EXPECT_EQ(sim.clock.Sleeps().back(), 80u);
    // Hundredths are rounded, not cut: 0.29 l is 28.99999... hundredths in binary.
    sim.Slots().SetVolumePreset(sim.Object(), 1, 0, 0, 0, 0.29);
    EXPECT_EQ(Start(2, 1), "01100001ZD0102J4590000029K10000");
    // Half to even whatever rounding mode the host left behind.
    sim.Slots().SetVolumePreset(sim.Object(), 1, 0, 0, 0, 0.125);
    std::fesetround(FE_UPWARD);
    const std::string halfway = Start(2, 1);
    std::fesetround(FE_TONEAREST);
    EXPECT_EQ(halfway, "01000001ZD0102J4590000012K10000");

    // The amount preset is counted in 1/SDec, the price in 1/PDec.
    sbtest::SimDriver scaled("[SB]\r\nSDec=10\r\nPDec=1000\r\n");
    scaled.port.Attach(1);
    sbtest::LineScript(scaled.Script()).TakeRequest(31).Nothing(3).Nothing(3);
    scaled.Slots().SetPrice(scaled.Object(), 1, 0, 1, 0, 0, 1.234);
    scaled.Slots().SetAmountPreset(scaled.Object(), 1, 0, 0, 0, 12.5);
    scaled.Slots().Start(scaled.Object(), 1, 0, 1, 1);
    EXPECT_EQ(scaled.SentMessages().back(), "01000001ZD0101J1234000125K20000");
}

TEST_F(StartTest, AmountAndZeroPresetsAndTheStartModes) {
    sim.Slots().SetPrice(sim.Object(), 1, 0, 1, 0, 0, 0.12);
    sim.Slots().SetAmountPreset(sim.Object(), 1, 0, 0, 0, 500.0);
    EXPECT_EQ(Start(1, 0), "01000001ZD0101J0012050000K21000");
    sim.Slots().SetAmountPreset(sim.Object(), 1, 0, 0, 0, 0.0);
    EXPECT_EQ(Start(1, 7), "01100001ZD0101J0012000000K20000");
    sim.Slots().SetVolumePreset(sim.Object(), 1, 0, 0, 0, 0.0011);
    EXPECT_EQ(Start(1, 1), "01000001ZD0101J0012000000K10000");
    // A preset wider than its six digits would shift the message: START refuses it and sends nothing.
    sim.Slots().SetVolumePreset(sim.Object(), 1, 0, 0, 0, 9999.99);
    EXPECT_EQ(Start(1, 1), "01100001ZD0101J0012999999K10000");
    for (double wide : {10000.0, 1e6}) {
        sim.Slots().SetVolumePreset(sim.Object(), 1, 0, 0, 0, wide);
        sim.port.ClearRecords();
        EXPECT_THROW(sim.Slots().Start(sim.Object(), 1, 0, 1, 1), sb::ESerialIO) << wide;
        EXPECT_TRUE(sim.Transcript().empty()) << wide;
    }
    sim.Slots().SetAmountPreset(sim.Object(), 1, 0, 0, 0, 10000.0);
    EXPECT_THROW(sim.Slots().Start(sim.Object(), 1, 0, 1, 1), sb::ESerialIO);
}

TEST_F(StartTest, StartOpensTheDeliverysBookkeeping) {
    sb::FillingPoint& point = sim.Point(1);
    sbtest::KeepFigures(point, 5, 7);
    point.VolumeTotals[1] = 1000;
    Start(6, 1);
    EXPECT_EQ(point.PointState, 0xEE);
    const sb::Sale sale = point.Sale.Now();
    EXPECT_EQ(sale.grade, 6);
    EXPECT_EQ(sale.startHold, 6);
    EXPECT_EQ(sale.stage, sb::DeliveryStage::Awaiting);
    EXPECT_EQ(sale.volume, 0.0);
    EXPECT_EQ(sale.amount, 0.0);
    EXPECT_EQ(point.VolumeTotals[1], 0.0);
}

TEST_F(StartTest, StartThatDidNotReachOrWasRefusedByTheDispenserRaises) {
    // A silent point is never selected: the host is told and the delivery is not opened.
    EXPECT_EQ(FailedStartReason(2), static_cast<uint32_t>(SB_REASON_NOT_SELECTED));
    EXPECT_EQ(sim.LineResult(2), 2u);
    EXPECT_EQ(sim.Point(2).PointState, 0xC0);
    EXPECT_TRUE(sim.log.Has("START(2): not delivered to the dispenser"));
    EXPECT_FALSE(sim.log.Has("END START(2)"));
    // Every data block refused: the same.
    sim.Script(1).NakDataBlocks(20);
    EXPECT_EQ(FailedStartReason(1), static_cast<uint32_t>(SB_REASON_NOT_ACKNOWLEDGED));
    EXPECT_TRUE(sim.log.Has("START(1): not delivered to the dispenser"));
    EXPECT_EQ(sim.Point(1).PointState, 0xC0);
    // A dispenser that refuses START authorises nothing: the host is told, the delivery is not opened.
    sim.Script(1).RefuseRequests(1);
    EXPECT_EQ(FailedStartReason(1), static_cast<uint32_t>(SB_REASON_START_REFUSED));
    EXPECT_TRUE(sim.log.Has("START(1): refused by the dispenser"));
    EXPECT_EQ(sim.Point(1).PointState, 0xC0);
    // The refusal may also come after the START was taken, in the reception that follows it.
    sbtest::LineScript(sim.Script()).TakeRequest(31).Nothing(3).Reply("0190");
    EXPECT_THROW(sim.Slots().Start(sim.Object(), 1, 0, 1, 1), sb::ESerialIO);
    EXPECT_TRUE(sim.log.Has("END START(1)"));
    EXPECT_EQ(sim.Point(1).PointState, 0xC0);
    EXPECT_EQ(sim.Point(1).Sale.Now().startHold, 0);
    // A refusal concerns its own START only.
    EXPECT_NE(Start(1, 1), "");
    EXPECT_EQ(sim.Point(1).PointState, 0xE9);
    // A refusal on a channel no message went out on answers a stray block (a data block sent again after its
    // acknowledgement was lost): the START stands.
    sbtest::LineScript(sim.Script()).Reply("0590").Nothing(3);
    EXPECT_EQ(sim.Slots().PollStatus(sim.Object(), 1, 0), 0xE9u);
    // A refusal that comes only in a later poll ends the started state there, even with no report beside it,
    // and after a START that replaced an earlier START's state.
    EXPECT_NE(Start(1, 1), "");
    sbtest::LineScript(sim.Script()).Reply("0190").Nothing(3);
    EXPECT_EQ(sim.Slots().PollStatus(sim.Object(), 1, 0), 0xC0u);
    EXPECT_EQ(sim.log.Count("START(1): refused by the dispenser"), 3u);
    // Or drained before the next message went out: the next poll ends it all the same.
    EXPECT_NE(Start(1, 1), "");
    sbtest::LineScript(sim.Script()).Reply("0190");
    sim.Slots().FillingPointControl(sim.Object(), 1, 0, 1);
    EXPECT_EQ(sim.Slots().PollStatus(sim.Object(), 1, 0), 0xC0u);
}

TEST_F(StartTest, GradeOutsideOneToSixIsRefusedBeforeAnythingIsSent) {
    for (int32_t grade : {0, 7, -1}) {
        try {
            sim.Slots().Start(sim.Object(), 1, 0, grade, 1);
            FAIL() << grade;
        } catch (const sb::ESerialIO& failure) {
            EXPECT_EQ(failure.Utf8(), "Can't Start");
        }
    }
    EXPECT_TRUE(sim.Transcript().empty());
    EXPECT_EQ(sim.Point(1).PointState, 192);
    EXPECT_TRUE(sim.log.Has("START(1): grade 7 refused"));
}

TEST_F(StartTest, RefusedPriceOrPresetStopsStartUntilAGoodOneIsSet) {
    sbtest::KeepFigures(sim.Point(1), 3);
    sim.Slots().SetAmountPreset(sim.Object(), 1, 0, 0, 0, 12.0);
    for (double bad : {-1.0, -0.004}) {
        sim.Slots().SetAmountPreset(sim.Object(), 1, 0, 0, 0, bad);
        EXPECT_THROW(sim.Slots().Start(sim.Object(), 1, 0, 4, 1), sb::ESerialIO) << bad;
    }
    sim.Slots().SetVolumePreset(sim.Object(), 1, 0, 0, 0, -5.0);
    EXPECT_THROW(sim.Slots().Start(sim.Object(), 1, 0, 4, 1), sb::ESerialIO);
    EXPECT_TRUE(sim.log.Has("PRESET(1): volume -5 refused"));
    EXPECT_EQ(sim.Point(1).Sale.Now().volume, 0.0);
    EXPECT_EQ(sim.Point(1).Sale.Now().grade, 4);
    EXPECT_EQ(sim.Point(1).PointState, 192);
    EXPECT_TRUE(sim.log.Has("START(1)"));
    EXPECT_TRUE(sim.log.Has("START(1): preset refused, none set since"));
    EXPECT_TRUE(sim.Transcript().empty());
    // A refused price stops its grade only, and never lets the previous price go out in its place.
    sim.Slots().SetVolumePreset(sim.Object(), 1, 0, 0, 0, 0.0);
    sim.Slots().SetPrice(sim.Object(), 1, 0, 2, 0, 0, 1.50);
    sim.Slots().SetPrice(sim.Object(), 1, 0, 2, 0, 0, 123.46);
    EXPECT_THROW(sim.Slots().Start(sim.Object(), 1, 0, 2, 1), sb::ESerialIO);
    EXPECT_TRUE(sim.log.Has("START(1): price of the grade refused, none set since"));
    EXPECT_EQ(Start(1, 1), "01000001ZD0101J0020000000K20000");
    sim.Slots().SetPrice(sim.Object(), 1, 0, 2, 0, 0, 1.60);
    EXPECT_EQ(Start(2, 1), "01100001ZD0102J0160000000K20000");
    // A grade never priced does not sell at the table's initial 0.20.
    EXPECT_THROW(sim.Slots().Start(sim.Object(), 3, 0, 5, 1), sb::ESerialIO);
    EXPECT_TRUE(sim.log.Has("START(3): grade 5 has no price set"));
}

TEST_F(StartTest, Slot15StartsGradeOneInStartModeOne) {
    sbtest::LineScript(sim.Script()).TakeRequest(31).Nothing(3).Nothing(3);
    sim.Slots().StartGrade1(sim.Object(), 1, 55, 66);
    EXPECT_EQ(sim.SentMessages().back().substr(12, 3), "01J");
    EXPECT_EQ(sim.SentMessages().back().substr(27), "0000");
    EXPECT_EQ(sim.Point(1).PointState, 0xE9);
}

TEST_F(StartTest, FillingPointControlMessages) {
    sbtest::LineScript(sim.Script()).TakeRequest(18).Nothing(3);
    sim.Slots().FillingPointControl(sim.Object(), 1, 0, 0);
    EXPECT_EQ(sim.SentMessages().back(), "01000004ZD01000011");
    EXPECT_TRUE(sim.log.Has("FILLING POINT CONTROL(1)"));

    // Slot 22: nothing for switch 0, nothing while a finished delivery waits, sent otherwise.
    sim.port.ClearRecords();
    sim.Slots().SwitchPoint(sim.Object(), 1, 0, 0, 0);
    sim.Point(1).PointState = 0xD3;
    sim.Slots().SwitchPoint(sim.Object(), 1, 0, 0, 1);
    sim.Point(1).PointState = 0xD6;
    sim.Slots().SwitchPointAgain(sim.Object(), 1, 0, 0, 1);
    EXPECT_TRUE(sim.Transcript().empty());
    sim.Point(1).PointState = 0xC0;
    sbtest::LineScript(sim.Script()).TakeRequest(18).Nothing(3);
    sim.Slots().SwitchPointAgain(sim.Object(), 1, 0, 0, 0x101);
    EXPECT_EQ(sim.SentMessages().back(), "01100004ZD01001011");
}

}  // namespace
