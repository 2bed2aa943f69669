// Totalizer counters: one exchange for all grades, the cache, the second answer and the amount scale.
#include <gtest/gtest.h>

#include "sim/Replies.h"
#include "support/LineScript.h"
#include "support/SimDriver.h"

namespace {

class CountersTest : public ::testing::Test {
protected:
    CountersTest() {
        sim.port.Attach(1);
        for (int k = 1; k <= 8; ++k) {
            volumes[k] = 100000000LL * k + 23456;
            amounts[k] = 200000000LL * k + 123456;
        }
    }

    std::string Reply() const { return sbsim::CounterReply('1', '0', volumes, amounts); }
    void Answer(const std::string& reply) { sbtest::LineScript(sim.Script()).TakeRequest(14).Reply(reply); }
    void Counter(int32_t grade) { sim.Slots().GetCounter(sim.Object(), 1, 0, grade, &volume, &amount, 0, 0); }
    size_t Requests() { return sim.SentMessages().size(); }

    sbtest::SimDriver sim;
    sbsim::Totals volumes{};
    sbsim::Totals amounts{};
    double volume = -1;
    double amount = -1;
};

TEST_F(CountersTest, GradesOneToFourCostOneExchange) {
    Answer(Reply());
    Counter(1);
    EXPECT_DOUBLE_EQ(volume, 1000234.56);
    EXPECT_DOUBLE_EQ(amount, 2001234.56);
    EXPECT_EQ(sim.SentMessages().back(), "01000003ZD0100");
    for (int32_t grade = 2; grade <= 4; ++grade) {
        Counter(grade);
        EXPECT_DOUBLE_EQ(volume, grade * 1000000.0 + 234.56) << grade;
        EXPECT_DOUBLE_EQ(amount, grade * 2000000.0 + 1234.56) << grade;
    }
    Counter(5);  // a full read fills grades 1..4 only
    EXPECT_EQ(volume, 0.0);
    EXPECT_EQ(Requests(), 1u);
    EXPECT_TRUE(sim.log.Has("RET COUNTER(1): 1000234.56"));
    EXPECT_TRUE(sim.log.Has("RET FAST COUNTER(1): 3000234.56"));

    Answer(Reply());
    Counter(1);  // grade 1 always asks
    EXPECT_EQ(Requests(), 2u);
}

TEST_F(CountersTest, ZeroGradeOneTotalKeepsTheCacheOff) {
    volumes[1] = 0;
    Answer(Reply());
    Counter(1);
    Answer(Reply());
    Counter(2);
    EXPECT_EQ(Requests(), 2u);
    EXPECT_DOUBLE_EQ(volume, 2000234.56);
}

TEST_F(CountersTest, ReplyOfAnotherLengthTakesTheSecondAnswer) {
    for (size_t length : {181u, 183u}) {
        sim.port.ClearRecords();
        std::string first = Reply();
        first.resize(length, '0');
        Answer(first);
        sbtest::LineScript(sim.Script()).Reply(Reply());
        Counter(6);  // decoded straight from record 6 of the second answer
        EXPECT_DOUBLE_EQ(volume, 6000234.56) << length;
        EXPECT_DOUBLE_EQ(amount, 12001234.56) << length;
        EXPECT_EQ(sim.Point(1).VolumeTotals[1], 0.0);  // the cache stays off on this path
    }
    EXPECT_TRUE(sim.log.Has("Two-Answer COUNTER(1): 0"));
}

TEST_F(CountersTest, SecondAnswerMissingToo) {
    Answer("too short");
    sbtest::LineScript(sim.Script()).Nothing(3);
    Counter(2);
    EXPECT_EQ(volume, 0.0);
    EXPECT_EQ(amount, 0.0);
    EXPECT_TRUE(sim.log.Has("Two-Answer COUNTER(1): 0"));
    EXPECT_TRUE(sim.log.Has("RET COUNTER(1): 0"));
    EXPECT_EQ(sim.LineResult(1), 2u);  // the dispenser answered, but no totals: they are not good ones
}

TEST_F(CountersTest, AmountScaleDividesTheAmountDigits) {
    volumes[1] = 123456;
    amounts[1] = 123456;
    const std::pair<int32_t, double> scales[] = {{1, 123456.0}, {100, 1234.56}, {1000, 123.456}};
    for (const auto& [scale, expected] : scales) {
        sim.Driver().SDec = scale;
        Answer(Reply());
        Counter(1);
        EXPECT_DOUBLE_EQ(volume, 1234.56);
        EXPECT_DOUBLE_EQ(amount, expected) << scale;
    }
}

TEST_F(CountersTest, ZeroAmountScaleGivesZeroAmountsAndOneLogLine) {
    sim.Driver().SDec = 0;
    Answer(Reply());
    Counter(1);
    EXPECT_DOUBLE_EQ(volume, 1000234.56);
    EXPECT_EQ(amount, 0.0);
    EXPECT_EQ(sim.log.Count("SDec=0(1): amount taken as 0"), 1u);
}

TEST_F(CountersTest, FieldThatIsNotANumberIsNotTaken) {
    std::string reply = Reply();
    reply[40] = 'x';  // inside grade 2's volume
    Answer(reply);
    sbtest::LineScript(sim.Script()).Nothing(3);
    Counter(1);
    EXPECT_EQ(volume, 0.0);
    EXPECT_EQ(sim.Point(1).VolumeTotals[1], 0.0);
    EXPECT_TRUE(sim.log.Has("GET COUNTER(1): wrong number"));
}

TEST_F(CountersTest, GradeOutsideTheTablesGivesZerosWithoutAnExchange) {
    Answer(Reply());
    Counter(1);
    for (int32_t grade : {0, 7, -5}) {
        volume = amount = -1;
        Counter(grade);
        EXPECT_EQ(volume, 0.0);
        EXPECT_EQ(amount, 0.0);
    }
    EXPECT_EQ(Requests(), 1u);
    EXPECT_TRUE(sim.log.Has("GET COUNTER(1): grade 7 refused"));
}

}  // namespace
