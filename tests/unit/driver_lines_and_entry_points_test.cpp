// Opening a filling point's line through the port service, and the entry points a host calls once.
#include <gtest/gtest.h>

#include <cstdlib>

#include "logging/Log.h"
#include "support/SimDriver.h"

namespace {

std::vector<sbsim::SlotCall> SetupCalls(const sbsim::SimPortService& port) {
    std::vector<sbsim::SlotCall> calls;
    for (const sbsim::SlotCall& call : port.calls()) {
        if (call.slot == 17 || call.slot == 21) calls.push_back(call);
    }
    return calls;
}

TEST(OpenLine, RegistersTheSetupHandlerThenConfiguresTheSpeed) {
    sbtest::SimDriver sim("[SB]\r\nBaud=9600\r\nT10_3=1\r\n");
    sim.port.SetConfigureResult(42);
    EXPECT_EQ(sim.Slots().OpenLine(sim.Object(), 1), 42);
    EXPECT_EQ(sim.Slots().OpenLine(sim.Object(), 3), 42);
    const std::vector<sbsim::SlotCall> calls = SetupCalls(sim.port);
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0].slot, 21);
    EXPECT_EQ(calls[0].point, 1u);
    EXPECT_EQ(calls[1].slot, 17);
    EXPECT_EQ(calls[1].arg1, 10u);
    EXPECT_EQ(calls[1].arg2, 9600u);
    EXPECT_EQ(calls[3].point, 3u);
    EXPECT_EQ(calls[3].arg2, 0x07000960u);
    EXPECT_TRUE(sim.Point(1).MasterResetPending);
    EXPECT_FALSE(sim.Point(2).MasterResetPending);

    // The port service may set the line up again through the handler it was given.
    sim.port.ClearRecords();
    EXPECT_EQ(sim.port.CallLineSetup(1), 42);
    ASSERT_EQ(SetupCalls(sim.port).size(), 1u);
    EXPECT_EQ(SetupCalls(sim.port)[0].arg2, 9600u);
}

TEST(OpenLine, DefaultSpeedIs2400) {
    sbtest::SimDriver sim;
    sim.Slots().OpenLine(sim.Object(), 9);
    ASSERT_EQ(SetupCalls(sim.port).size(), 2u);
    EXPECT_EQ(SetupCalls(sim.port)[1].arg2, 2400u);
}

TEST(OpenLine, StatusRecordCarriesTheStateCode) {
    sbtest::SimDriver sim;
    sim.port.Attach(1);
    sim.Point(1).PointState = 0xD3;
    SbStatusRecord record;
    for (uint8_t i = 0; i < 16; ++i) record.bytes[i] = static_cast<uint8_t>(0xA0 + i);
    sim.Slots().StatusRecord(&record, sim.Object(), 0x101, 0x1FF, 0);
    EXPECT_EQ(record.bytes[0], 0xD3);
    EXPECT_EQ(record.bytes[1], 0);
    EXPECT_EQ(record.bytes[14], 3);
    EXPECT_EQ(record.bytes[15], 0);
    for (uint8_t i = 2; i < 14; ++i) EXPECT_EQ(record.bytes[i], 0xA0 + i);
}

TEST(EntryPoints, OneDriverPerProcessAndTheLogStartedOnce) {
    sbtest::RecordingClock clock;
    sbtest::TempDir dir;
    sbtest::WriteFile(dir.File("cnf.INI"), "[SB]\r\nSDec=1000\r\n");
    setenv("SBDRIVER_CONFIG_DIR", dir.Path().c_str(), 1);
    sbsim::SimPortService port;
    SbDriver* first = GetVM30(0x55, nullptr, port.port());
    const std::string logName = sb::ProcessLog().FileName();
    SbDriver* second = GetDriver25(0, nullptr, nullptr, 1, 2, 3, 4, 5);
    EXPECT_EQ(first, second);
    EXPECT_EQ(sb::TVM30::From(first).SDec, 1000);
    EXPECT_EQ(sb::TVM30::From(first).Port.Object(), port.port());
    // A port service the first call lacked comes with a later call.
    sb::TVM30::From(first).Port = sb::PortService(nullptr);
    EXPECT_EQ(GetVM30(0, nullptr, port.port()), first);
    EXPECT_EQ(sb::TVM30::From(first).Port.Object(), port.port());
    ASSERT_GT(logName.size(), 12u);
    EXPECT_EQ(logName.substr(logName.size() - 12), "/sbtests.pro");
    EXPECT_EQ(sb::ProcessLog().FileName(), logName);
    // The port service is handed both handlers bound to the object the entry point returned.
    first->vtbl->OpenLine(first, 1);
    first->vtbl->PollStatus(first, 1, 0);
    EXPECT_EQ((std::vector<void*>{port.receiveHandler(1).self, port.lineSetupHandler(1).self}),
              std::vector<void*>(2, first));
    unsetenv("SBDRIVER_CONFIG_DIR");
}

}  // namespace
