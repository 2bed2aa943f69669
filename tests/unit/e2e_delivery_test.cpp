// A whole delivery through the host contract against the simulated dispenser: price, preset, START, the
// status walk, the running volume, the final figures and the totalizers; its trace log read back by decode.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <functional>

#include "decode/ExchangePairing.h"
#include "support/SimDriver.h"

namespace {

// The exchanges a trace log tells, read back as the tools read it.
std::vector<sbdecode::Exchange> LoggedExchanges(const std::string& fileName) {
    std::ifstream in(fileName, std::ios::binary);
    sbdecode::TraceReader reader(in);
    sbdecode::ExchangePairing pairing;
    std::vector<sbdecode::Exchange> exchanges;
    for (sbdecode::TraceRecord record; reader.Next(&record);) {
        for (const sbdecode::Exchange& exchange : pairing.Take(record)) exchanges.push_back(exchange);
    }
    for (const sbdecode::Exchange& exchange : pairing.Finish()) exchanges.push_back(exchange);
    return exchanges;
}

class WholeDeliveryTest : public ::testing::Test {
protected:
    WholeDeliveryTest() {
        sbsim::PointConfig config;
        config.flowPerPoll = 25;
        sim.port.Attach(1, config);
        sim.port.Act(1, [](sbsim::Dispenser& dispenser) {
            dispenser.point().SetTotals(1, 50000, 2295000);
            dispenser.point().SetTotals(2, 1234567, 56666625);
        });
    }

    uint32_t Poll() { return vm.PollStatus(object, 1, 0); }
    std::pair<double, double> Totals(int32_t grade) {
        double volume = 0, amount = 0;
        vm.GetCounter(object, 1, 0, grade, &volume, &amount, 0, 0);
        return {volume, amount};
    }
    void Customer(const std::function<void(sbsim::FillingPoint&)>& action) {
        sim.port.Act(1, [&](sbsim::Dispenser& dispenser) { action(dispenser.point()); });
    }

    sbtest::SimDriver sim;
    SbDriver* object = sim.Object();
    const SbDriverVtbl& vm = sim.Slots();
};

TEST_F(WholeDeliveryTest, PresetDeliveryEndsWithTheDispensersFiguresAndGrownTotals) {
    EXPECT_EQ(vm.OpenLine(object, 1), 0);
    vm.SetPrice(object, 1, 0, 2, 0, 0, 45.90);
    vm.SetVolumePreset(object, 1, 0, 0, 0, 5.0);
    EXPECT_EQ(Poll(), 0xC0u);  // begins with the MASTER RESET the opened line made due
    EXPECT_TRUE(sim.log.Has("MASTER RESET(1)"));
    const auto before = Totals(2);
    EXPECT_DOUBLE_EQ(before.first, 12345.67);
    EXPECT_DOUBLE_EQ(before.second, 566666.25);

    Customer([](sbsim::FillingPoint& point) { point.LiftNozzle(2); });
    uint32_t code = 0;
    for (int i = 0; i < 20 && code != 0xE2; ++i) code = Poll();
    EXPECT_EQ(code, 0xE2u);  // nozzle 2 lifted, waiting for authorisation

    vm.Start(object, 1, 0, 2, 1);
    EXPECT_EQ(sim.Point(1).PointState, 0xEA);
    ASSERT_TRUE(sim.port.dispenser(1)->point().lastStart().has_value());

    std::vector<uint32_t> codes;
    std::vector<double> volumes;
    for (int i = 0; i < 200 && (code < 0xD0 || code > 0xD6); ++i) {
        code = Poll();
        codes.push_back(code);
        double amount = 0;
        volumes.push_back(vm.CurrentDeliveryData(object, 1, 0, &amount));
    }
    ASSERT_GE(code, 0xD0u);
    ASSERT_LE(code, 0xD6u);
    EXPECT_NE(std::find(codes.begin(), codes.end(), 0xDAu), codes.end());  // delivering grade 2
    EXPECT_TRUE(std::is_sorted(volumes.begin(), volumes.end()));
    EXPECT_GT(std::count_if(volumes.begin(), volumes.end(), [](double v) { return v > 0 && v < 5; }), 2);

    Customer([](sbsim::FillingPoint& point) { point.HangNozzle(); });
    double volume = 0, amount = 0;
    vm.FinalDeliveryData(object, 1, 0, &volume, &amount);
    const sbsim::SaleFigures sale = sim.port.dispenser(1)->point().sale();
    EXPECT_EQ(sale.volume, 500);
    // Volumes travel in hundredths; answers from memory move the third decimal by a few thousandths only.
    EXPECT_EQ(std::llround(volume * 100), sale.volume);
    EXPECT_DOUBLE_EQ(amount, static_cast<double>(sale.amount) / 100);
    EXPECT_DOUBLE_EQ(amount, 229.50);
    EXPECT_EQ(vm.GetLineResult(object, 1), 1u);

    const auto after = Totals(2);
    EXPECT_DOUBLE_EQ(after.first - before.first, static_cast<double>(sale.volume) / 100);
    EXPECT_DOUBLE_EQ(after.second - before.second, amount);
    for (int i = 0; i < 10; ++i) code = Poll();
    EXPECT_EQ(code, 0xC0u);  // collected and back to idle

    // The run's trace log, decoded, is what the port service saw: every exchange, byte for byte, in order.
    const std::vector<sbdecode::Exchange> logged = LoggedExchanges(sim.log.FileName());
    const std::vector<sbsim::ExchangeRecord> seen = sim.port.exchanges();
    ASSERT_EQ(logged.size(), seen.size());
    for (size_t i = 0; i < seen.size(); ++i) {
        EXPECT_EQ(logged[i].sent, seen[i].sent) << i;
        EXPECT_EQ(logged[i].answer, seen[i].received) << i;
    }
}

// Sales in a row with the same figures, the host only polling status: each is the dispenser's own, not the
// previous one still on display; a START after which nothing was pumped gives nothing.
TEST_F(WholeDeliveryTest, EqualSalesInARowReachAHostThatOnlyPollsStatus) {
    using Figures = std::pair<int64_t, int64_t>;  // hundredths of a litre, of a money unit
    vm.OpenLine(object, 1);
    vm.SetPrice(object, 1, 0, 2, 0, 0, 45.90);
    const auto deliver = [&](bool pump) {
        vm.Start(object, 1, 0, 2, 1);
        if (pump) Customer([](sbsim::FillingPoint& point) { point.LiftNozzle(2); });
        uint32_t code = 0;
        for (int i = 0; i < 60 && (code < 0xD0 || code > 0xD6); ++i) code = Poll();
        Customer([](sbsim::FillingPoint& point) { point.HangNozzle(); });
        double volume = -1, amount = -1;
        vm.FinalDeliveryData(object, 1, 0, &volume, &amount);
        EXPECT_EQ(vm.GetLineResult(object, 1), 1u);
        return Figures(std::llround(volume * 100), std::llround(amount * 100));
    };
    const auto sale = [&] {
        const sbsim::SaleFigures figures = sim.port.dispenser(1)->point().sale();
        return Figures(figures.volume, figures.amount);
    };
    vm.SetVolumePreset(object, 1, 0, 0, 0, 5.0);
    for (int i = 0; i < 2; ++i) EXPECT_EQ(deliver(true), Figures(500, 22950)) << i;
    vm.SetAmountPreset(object, 1, 0, 0, 0, 7.30);
    for (int i = 0; i < 2; ++i) {
        const Figures accepted = deliver(true);
        EXPECT_EQ(accepted, sale()) << i;
        EXPECT_EQ(accepted.second, 730) << i;
    }
    EXPECT_EQ(deliver(false), Figures(0, 0));

    // A sale of the same volume whose delivering report is lost on the line cannot be told from the previous
    // one: the host gets no figures and is told so (line result 3), never 0/0 as a good result.
    vm.SetVolumePreset(object, 1, 0, 0, 0, 5.0);
    EXPECT_EQ(deliver(true), Figures(500, 22950));
    vm.Start(object, 1, 0, 2, 1);
    Customer([](sbsim::FillingPoint& point) {
        point.LiftNozzle(2);
        while (point.state() != sbsim::PointState::Finished) point.Tick();
        point.TakeOutbox();
        point.QueueStatusReport('3', 2);
    });
    for (int i = 0; i < 5; ++i) Poll();
    double volume = -1, amount = -1;
    vm.FinalDeliveryData(object, 1, 0, &volume, &amount);
    EXPECT_EQ(vm.GetLineResult(object, 1), 3u);
}

TEST(WholeDelivery, AmountPresetOnALineWithALinkUnit) {
    sbtest::SimDriver sim("[SB]\r\nT10_1=1\r\n");
    sbsim::PointConfig config;
    config.flowPerPoll = 10;
    config.linkUnit = true;
    sim.port.Attach(1, config);
    SbDriver* object = sim.Object();
    const SbDriverVtbl& vm = sim.Slots();
    EXPECT_EQ(vm.OpenLine(object, 1), 0);
    EXPECT_EQ(sim.port.calls().back().arg2, 0x07000960u);  // the link unit's fixed line speed
    vm.SetPrice(object, 1, 0, 1, 0, 0, 45.90);
    vm.SetAmountPreset(object, 1, 0, 0, 0, 100.0);
    sim.port.Act(1, [](sbsim::Dispenser& dispenser) { dispenser.point().LiftNozzle(1); });
    vm.PollStatus(object, 1, 0);
    vm.StartGrade1(object, 1, 0, 0);
    EXPECT_EQ(sim.port.dispenser(1)->point().lastStart()->preset, 10000);  // 100.00 in hundredths

    uint32_t code = 0;
    std::vector<double> running;
    for (int i = 0; i < 100 && (code < 0xD0 || code > 0xD6); ++i) {
        code = vm.PollStatus(object, 1, 0);
        double amount = 0;
        running.push_back(vm.CurrentDeliveryData(object, 1, 0, &amount));
        EXPECT_NEAR(amount, running.back() * 45.90, 0.005);  // the link unit counts litres only
    }
    ASSERT_GE(code, 0xD0u);
    EXPECT_TRUE(std::is_sorted(running.begin(), running.end()));
    EXPECT_GT(running.size(), 3u);

    sim.port.Act(1, [](sbsim::Dispenser& dispenser) { dispenser.point().HangNozzle(); });
    double volume = 0, amount = 0;
    vm.FinalDeliveryData(object, 1, 0, &volume, &amount);
    const sbsim::SaleFigures sale = sim.port.dispenser(1)->point().sale();
    EXPECT_EQ(sale.amount, 10000);  // ended at the preset exactly
    EXPECT_EQ(std::llround(volume * 100), sale.volume);
    EXPECT_DOUBLE_EQ(amount, 100.0);
}

}  // namespace
