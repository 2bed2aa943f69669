// Each operation raises its own text when the port keeps failing on its data blocks, after releasing the
// point's lock, with the fields written before the failure kept. In return mode the same text comes back
// through SbGetLastFailure instead.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "driver/TVM30.h"
#include "support/DataBlocksFailPort.h"
#include "support/SaleSetup.h"
#include "support/SimDriver.h"

namespace {

struct Case {
    const char* name;
    std::function<void(sbtest::SimDriver&)> call;
    const char* text;
    int slot;  // the slot the failure leaves
};

void PrintTo(const Case& value, std::ostream* out) { *out << value.name; }

class FailureTextsTest : public ::testing::TestWithParam<Case> {};

TEST_P(FailureTextsTest, OperationRaisesItsTextAndReleasesTheLock) {
    for (const uint32_t mode : {SB_FAILURES_RAISE, SB_FAILURES_RETURN}) {
        SCOPED_TRACE(mode == SB_FAILURES_RAISE ? "raise mode" : "return mode");
        sbtest::SimDriver sim;
        sim.port.Attach(1);
        sim.PriceGrades(1);
        sbtest::DataBlocksFailPort failing(sim.port.port());
        sim.Driver().Port = sb::PortService(failing.port());
        SbSetFailureMode(sim.Object(), mode);
        std::string text;
        try {
            GetParam().call(sim);
            SbFailure failure;
            if (mode == SB_FAILURES_RETURN && SbGetLastFailure(&failure) == 1) text = failure.utf8;
        } catch (const sb::ESerialIO& failure) {
            EXPECT_EQ(mode, SB_FAILURES_RAISE);
            text = failure.Utf8();
        }
        EXPECT_EQ(text, GetParam().text);
        // Returned, the failure leaves one trace line; raised, none.
        EXPECT_EQ(sim.log.Count("FAILURE(1): slot " + std::to_string(GetParam().slot) + ": " + GetParam().text),
                  mode == SB_FAILURES_RETURN ? 1u : 0u);
        // Another thread can take the point: the lock was released on the way out.
        bool taken = false;
        std::thread other([&] {
            sb::platform::LockGuard hold(sim.Link(1).PointLock);
            taken = true;
        });
        other.join();
        EXPECT_TRUE(taken);
    }
}

void Poll(sbtest::SimDriver& sim) {
    sim.Point(1).NoReplyCount = 15;
    sim.Slots().PollStatus(sim.Object(), 1, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Operations, FailureTextsTest,
    ::testing::Values(Case{"StatusRequest", Poll, "Невозможно выполнить запрос состояния ТРК", 10},
                      Case{"Start", [](sbtest::SimDriver& sim) { sim.Slots().Start(sim.Object(), 1, 0, 2, 1); },
                           "Can't Start", 19},
                      Case{"Counter",
                           [](sbtest::SimDriver& sim) {
                               double volume = 0, amount = 0;
                               sim.Slots().GetCounter(sim.Object(), 1, 0, 1, &volume, &amount, 0, 0);
                           },
                           "Невозможно выполнить запрос счетчиков ТРК", 7},
                      Case{"DeliveryData",
                           [](sbtest::SimDriver& sim) {
                               sim.Point(1).VolumePreset = 10;
                               double amount = 0;
                               sim.Slots().CurrentDeliveryData(sim.Object(), 1, 0, &amount);
                           },
                           "Невозможно выполнить запрос данных отлива ТРК", 9},
                      Case{"FillingPointControl",
                           [](sbtest::SimDriver& sim) { sim.Slots().FillingPointControl(sim.Object(), 1, 0, 1); },
                           "Невозможно выполнить сброс ТРК", 4},
                      Case{"MasterReset",
                           [](sbtest::SimDriver& sim) {
                               sim.Point(1).MasterResetPending = true;
                               sim.Slots().PollStatus(sim.Object(), 1, 0);
                           },
                           "Невозможно выполнить сброс ТРК", 10}),
    [](const ::testing::TestParamInfo<Case>& param) { return std::string(param.param.name); });

TEST(FailureFields, StartKeepsWhatItWroteBeforeTheFailure) {
    sbtest::SimDriver sim;
    sim.port.Attach(1);
    sbtest::DataBlocksFailPort failing(sim.port.port());
    sim.Driver().Port = sb::PortService(failing.port());
    sbtest::KeepFigures(sim.Point(1), 4);
    sim.Point(1).MasterResetPending = true;
    sim.PriceGrades(1);
    EXPECT_THROW(sim.Slots().Start(sim.Object(), 1, 0, 3, 1), sb::ESerialIO);
    EXPECT_EQ(sim.Point(1).Sale.Now().volume, 0.0);
    EXPECT_EQ(sim.Point(1).Sale.Now().grade, 3);
    EXPECT_EQ(sim.Point(1).PointState, 192);
    EXPECT_THROW(sim.Slots().PollStatus(sim.Object(), 1, 0), sb::ESerialIO);
    EXPECT_FALSE(sim.Point(1).MasterResetPending);  // cleared even by a failing MASTER RESET
}

// Return mode: 0.0 through the host's addresses, the status record untouched, a record of this thread only,
// kept by the calls that cannot fail and cleared by the next one that can; modes and objects the driver does not
// know change nothing.
TEST(ReturnMode, NeutralResultsAndAThreadRecordClearedByTheNextCallThatCanFail) {
    sbtest::SimDriver sim;
    sim.port.Attach(1);
    sbtest::DataBlocksFailPort failing(sim.port.port());
    sim.Driver().Port = sb::PortService(failing.port());
    const SbDriverVtbl& vm = sim.Slots();
    SbSetFailureMode(sim.Object(), 7);
    SbSetFailureMode(reinterpret_cast<SbDriver*>(failing.port()), SB_FAILURES_RETURN);
    SbSetFailureMode(nullptr, SB_FAILURES_RETURN);
    // Nothing is written into an object that is not a driver object, wherever its fields would lie.
    std::vector<unsigned char> foreign(2 * sizeof(sb::TVM30), 0x5A);
    SbSetFailureMode(reinterpret_cast<SbDriver*>(foreign.data() + sizeof(sb::TVM30)), SB_FAILURES_RETURN);
    EXPECT_EQ(static_cast<size_t>(std::count(foreign.begin(), foreign.end(), 0x5A)), foreign.size());
    sim.Point(1).VolumePreset = 10;
    double volume = 5, amount = 5;
    EXPECT_THROW(vm.CurrentDeliveryData(sim.Object(), 1, 0, &amount), sb::ESerialIO);

    SbSetFailureMode(sim.Object(), SB_FAILURES_RETURN);
    EXPECT_EQ(vm.CurrentDeliveryData(sim.Object(), 1, 0, &amount), 0.0);
    EXPECT_EQ(amount, 0.0);
    volume = amount = 5;
    vm.FinalDeliveryData(sim.Object(), 1, 0, &volume, &amount);
    EXPECT_EQ(volume + amount, 0.0);
    volume = amount = 5;
    vm.GetCounter(sim.Object(), 1, 0, 1, &volume, &amount, 0, 0);
    EXPECT_EQ(volume + amount, 0.0);
    SbStatusRecord record;
    std::memset(&record, 0xAB, sizeof record);
    sim.Point(1).NoReplyCount = 15;
    vm.StatusRecord(&record, sim.Object(), 1, 0, 0);
    EXPECT_EQ(record.bytes[0] + record.bytes[1] + record.bytes[14] + record.bytes[15], 4 * 0xAB);
    SbFailure failure;
    ASSERT_EQ(SbGetLastFailure(&failure), 1u);
    EXPECT_EQ(failure.code, static_cast<uint32_t>(SB_FAILURE_SERIAL_IO));
    EXPECT_STREQ(failure.utf8, "Невозможно выполнить запрос состояния ТРК");
    EXPECT_EQ(SbGetLastFailureReason(), static_cast<uint32_t>(SB_REASON_PORT_FAILED));
    // A refused value is the setter's own failure.
    vm.SetVolumePreset(sim.Object(), 1, 0, 0, 0, -5.0);
    ASSERT_EQ(SbGetLastFailure(&failure), 1u);
    EXPECT_EQ(failure.code, static_cast<uint32_t>(SB_FAILURE_REFUSED));
    EXPECT_STREQ(failure.utf8, "PRESET(1): volume -5 refused");
    EXPECT_EQ(SbGetLastFailureReason(), static_cast<uint32_t>(SB_REASON_VALUE_REFUSED));

    uint32_t elsewhere = 1;
    std::thread other([&] { elsewhere = SbGetLastFailure(nullptr); });
    other.join();
    EXPECT_EQ(elsewhere, 0u);
    SbDescription description;
    vm.Describe(&description, sim.Object());
    vm.SetLineResult(sim.Object(), 1, 2);
    vm.GetLineResult(sim.Object(), 1);
    EXPECT_EQ(SbGetLastFailure(nullptr), 1u);
    vm.SetVolumePreset(sim.Object(), 1, 0, 0, 0, 5.0);
    EXPECT_EQ(SbGetLastFailure(&failure), 0u);
    EXPECT_EQ(SbGetLastFailureReason(), static_cast<uint32_t>(SB_REASON_NONE));
    EXPECT_EQ(failure.code, static_cast<uint32_t>(SB_FAILURE_NONE));
    EXPECT_STREQ(failure.utf8, "");
}

}  // namespace
