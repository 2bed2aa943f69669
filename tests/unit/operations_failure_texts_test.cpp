// Each operation raises its own text when the port keeps failing on its data blocks, after releasing the
// point's lock, with the fields written before the failure kept.
#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "support/DataBlocksFailPort.h"
#include "support/SimDriver.h"

namespace {

struct Case {
    const char* name;
    std::function<void(sbtest::SimDriver&)> call;
    const char* text;
};

void PrintTo(const Case& value, std::ostream* out) { *out << value.name; }

class FailureTextsTest : public ::testing::TestWithParam<Case> {};

TEST_P(FailureTextsTest, OperationRaisesItsTextAndReleasesTheLock) {
    sbtest::SimDriver sim;
    sim.port.Attach(1);
    sbtest::DataBlocksFailPort failing(sim.port.port());
    sim.Driver().Port = sb::PortService(&failing.base);
    try {
        GetParam().call(sim);
        FAIL() << "no failure reached the host";
    } catch (const sb::ESerialIO& failure) {
        EXPECT_EQ(failure.Utf8(), GetParam().text);
    }
    // Another thread can take the point: the lock was released on the way out.
    bool taken = false;
    std::thread other([&] {
        sb::platform::LockGuard hold(sim.Link(1).PointLock);
        taken = true;
    });
    other.join();
    EXPECT_TRUE(taken);
}

void Poll(sbtest::SimDriver& sim) {
    sim.Point(1).NoReplyCount = 15;
    sim.Slots().PollStatus(sim.Object(), 1, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Operations, FailureTextsTest,
    ::testing::Values(
        Case{"StatusRequest", Poll, "Невозможно выполнить запрос состояния ТРК"},
        Case{"Start", [](sbtest::SimDriver& sim) { sim.Slots().Start(sim.Object(), 1, 0, 2, 1); }, "Can't Start"},
        Case{"Counter",
             [](sbtest::SimDriver& sim) {
                 double volume = 0, amount = 0;
                 sim.Slots().GetCounter(sim.Object(), 1, 0, 1, &volume, &amount, 0, 0);
             },
             "Невозможно выполнить запрос счетчиков ТРК"},
        Case{"DeliveryData",
             [](sbtest::SimDriver& sim) {
                 sim.Point(1).VolumePreset = 10;
                 double amount = 0;
                 sim.Slots().CurrentDeliveryData(sim.Object(), 1, 0, &amount);
             },
             "Невозможно выполнить запрос данных отлива ТРК"},
        Case{"FillingPointControl",
             [](sbtest::SimDriver& sim) { sim.Slots().FillingPointControl(sim.Object(), 1, 0, 1); },
             "Невозможно выполнить сброс ТРК"},
        Case{"MasterReset",
             [](sbtest::SimDriver& sim) {
                 sim.Point(1).MasterResetPending = true;
                 sim.Slots().PollStatus(sim.Object(), 1, 0);
             },
             "Невозможно выполнить сброс ТРК"}),
    [](const ::testing::TestParamInfo<Case>& param) { return std::string(param.param.name); });

TEST(FailureFields, StartKeepsWhatItWroteBeforeTheFailure) {
    sbtest::SimDriver sim;
    sim.port.Attach(1);
    sbtest::DataBlocksFailPort failing(sim.port.port());
    sim.Driver().Port = sb::PortService(&failing.base);
    sim.Point(1).CurVolume = 4;
    sim.Point(1).MasterResetPending = true;
    EXPECT_THROW(sim.Slots().Start(sim.Object(), 1, 0, 3, 1), sb::ESerialIO);
    EXPECT_EQ(sim.Point(1).CurVolume, 0.0);
    EXPECT_EQ(sim.Point(1).SaleGrade, 3);
    EXPECT_EQ(sim.Point(1).PointState, 192);
    EXPECT_THROW(sim.Slots().PollStatus(sim.Object(), 1, 0), sb::ESerialIO);
    EXPECT_FALSE(sim.Point(1).MasterResetPending);  // cleared even by a failing MASTER RESET
}

}  // namespace
