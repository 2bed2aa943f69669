// Host threads driving different filling points at once, and two host threads on one point: run under the
// thread sanitizer as well.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "support/SimDriver.h"

namespace {

TEST(Concurrency, PointsAreDrivenInParallelFromHostThreads) {
    sbtest::SimDriver sim;
    constexpr uint32_t kPoints = 4;
    for (uint32_t point = 1; point <= kPoints; ++point) sim.port.Attach(point);
    std::vector<std::thread> hosts;
    std::vector<uint32_t> lastCodes(kPoints + 1, 0);
    for (uint32_t point = 1; point <= kPoints; ++point) {
        hosts.emplace_back([&, point] {
            sim.Slots().OpenLine(sim.Object(), point);
            for (int i = 0; i < 20; ++i) lastCodes[point] = sim.Slots().PollStatus(sim.Object(), point, 0);
            double volume = 0, amount = 0;
            sim.Slots().GetCounter(sim.Object(), point, 0, 1, &volume, &amount, 0, 0);
        });
    }
    for (std::thread& host : hosts) host.join();
    for (uint32_t point = 1; point <= kPoints; ++point) {
        EXPECT_EQ(lastCodes[point], 0xC0u) << point;
        EXPECT_EQ(sim.log.Count("RET COUNTER(" + std::to_string(point) + "): 0"), 1u) << point;
    }
    // Every line of every thread is whole: each one carries its time stamp.
    for (const std::string& text : sim.log.Texts()) EXPECT_FALSE(text.empty());
}

TEST(Concurrency, TwoHostThreadsOnOnePoint) {
    sbtest::SimDriver sim;
    sim.port.Attach(1);
    sim.port.Act(1, [](sbsim::Dispenser& dispenser) { dispenser.point().SetTotals(1, 100, 100); });
    double volume = 0, amount = 0;
    sim.Slots().GetCounter(sim.Object(), 1, 0, 1, &volume, &amount, 0, 0);
    ASSERT_GT(sim.Point(1).VolumeTotals[1], 0.0);

    // A second host thread on the same point counts, polls and reads the line result while this one starts
    // and reads the delivery: the point's fields are shared without a lock of their own.
    sim.PriceGrades(1);
    std::thread counter([&] {
        double v = 0, a = 0;
        for (int i = 0; i < 20; ++i) {
            sim.Slots().GetCounter(sim.Object(), 1, 0, 3, &v, &a, 0, 0);
            sim.Slots().PollStatus(sim.Object(), 1, 0);
            sim.Slots().GetLineResult(sim.Object(), 1);
        }
    });
    sim.Slots().Start(sim.Object(), 1, 0, 1, 1);
    for (int i = 0; i < 5; ++i) sim.Slots().CurrentDeliveryData(sim.Object(), 1, 0, &amount);
    sim.Slots().FinalDeliveryData(sim.Object(), 1, 0, &volume, &amount);
    counter.join();
    EXPECT_TRUE(sim.log.Has("END START(1)"));
}

}  // namespace
