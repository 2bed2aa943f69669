#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>

#include "sim/SimPortService.h"

namespace sbsim {
namespace {

// What the driver's reception handler was told.
struct Reception {
    int calls = 0;
    uint32_t point = 0;
    Bytes bytes;
    uint8_t count = 0;
    uint8_t replySize = 0;
};

uint32_t SB_CALL Receive(void* self, uint32_t point, const uint8_t* bytes, uint32_t, uint8_t* count,
                         uint8_t* replySize) {
    Reception& reception = *static_cast<Reception*>(self);
    ++reception.calls;
    reception.point = point;
    reception.bytes.assign(bytes, bytes + *count);
    reception.count = *count;
    reception.replySize = *replySize;
    return 1;
}

int32_t SB_CALL SetUpLine(void* self, uint32_t point) { return static_cast<int32_t>(point) * *static_cast<int*>(self); }

class SimPort : public ::testing::Test {
protected:
    int32_t Exchange(uint32_t point, const Bytes& sent, uint32_t replySize) {
        std::memcpy(buffer, sent.data(), sent.size());
        return port->vtbl->SendReceive(port, point, buffer, static_cast<uint32_t>(sent.size()), buffer, replySize, 0);
    }
    uint32_t LineStatus(uint32_t point) { return port->vtbl->LineStatus(port, point); }

    SimPortService service;
    SbPortService* port = service.port();
    Reception reception;
    uint8_t buffer[256] = {};
};

TEST_F(SimPort, WritesTheAnswerOverTheBufferAndReportsItToTheHandler) {
    service.Attach(3);
    port->vtbl->SetReceiveHandler(port, 3, SbReceiveHandler{&Receive, &reception});
    std::memset(buffer, 0xAA, sizeof buffer);
    EXPECT_EQ(Exchange(3, Bytes{kEot, '1', kEnq}, 30), 0);
    EXPECT_EQ(Hex(buffer, 4), "10 30 05 AA");  // DLE "0" over EOT "1"; the rest as it was
    EXPECT_EQ(reception.calls, 1);
    EXPECT_EQ(reception.point, 3u);
    EXPECT_EQ(Hex(reception.bytes), "10 30");
    EXPECT_EQ(reception.replySize, 30);
    EXPECT_EQ(LineStatus(3), kLineGood);
    EXPECT_EQ(service.Transcript(), (std::vector<std::string>{"3 > 04 31 05 (30) < 10 30"}));
}

TEST_F(SimPort, LineStatusTellsAMissingAnswerFromNoneAwaited) {
    service.Attach(1);
    port->vtbl->SetReceiveHandler(port, 1, SbReceiveHandler{&Receive, &reception});
    Exchange(1, Bytes{kEot, '1', kEnq}, 30);
    EXPECT_EQ(Exchange(1, Bytes{kEot}, 0), 0);  // nothing awaited
    EXPECT_EQ(LineStatus(1), kLineGood);
    EXPECT_EQ(reception.calls, 2);
    EXPECT_EQ(reception.count, 0);
    EXPECT_EQ(Exchange(1, Bytes{kDle, '0'}, 60), 0);  // nothing to continue: answered with EOT
    EXPECT_EQ(LineStatus(1), kLineGood);
    service.dispenser(1)->faults().SilenceExchanges(1);
    Exchange(1, Bytes{kEot, '0', kEnq}, 30);
    EXPECT_EQ(LineStatus(1), kLineNoAnswer);
    EXPECT_EQ(Hex(buffer, 3), "04 30 05");                  // silence leaves the sent bytes in place
    EXPECT_EQ(Exchange(9, Bytes{kEot, '0', kEnq}, 30), 0);  // no dispenser on line 9
    EXPECT_EQ(LineStatus(9), kLineNoAnswer);
}

TEST_F(SimPort, ConfigurableResultsAndRecordedCalls) {
    service.SetErrorResult(-7);
    service.SetConfigureResult(5);
    EXPECT_EQ(port->vtbl->ErrorResult(port, 2), -7);
    EXPECT_EQ(port->vtbl->Configure(port, 2, 10, SB_T10_SPEED_CODE), 5);
    const std::vector<SlotCall> calls = service.calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].slot, 1);
    EXPECT_EQ(calls[1].slot, 17);
    EXPECT_EQ(calls[1].point, 2u);
    EXPECT_EQ(calls[1].arg1, 10u);
    EXPECT_EQ(calls[1].arg2, SB_T10_SPEED_CODE);
}

TEST_F(SimPort, StoresTheLineSetupHandlerForTheHostToCall) {
    EXPECT_EQ(service.CallLineSetup(4), 0);
    int factor = 100;
    port->vtbl->SetLineSetupHandler(port, 4, SbLineSetupHandler{&SetUpLine, &factor});
    EXPECT_NE(service.lineSetupHandler(4).code, nullptr);
    EXPECT_EQ(service.lineSetupHandler(5).code, nullptr);
    EXPECT_EQ(service.CallLineSetup(4), 400);
}

TEST_F(SimPort, ScriptedPortFailuresThrow) {
    service.Attach(1);
    service.ThrowOnExchanges(1);
    EXPECT_THROW(Exchange(1, Bytes{kEot, '0', kEnq}, 30), std::runtime_error);
    EXPECT_TRUE(service.exchanges().empty());  // nothing went out
    EXPECT_EQ(Exchange(1, Bytes{kEot, '0', kEnq}, 30), 0);

    service.ThrowOnSetReceiveHandler(1);
    EXPECT_THROW(port->vtbl->SetReceiveHandler(port, 1, SbReceiveHandler{&Receive, &reception}), std::runtime_error);
    EXPECT_EQ(service.receiveHandler(1).code, nullptr);
    port->vtbl->SetReceiveHandler(port, 1, SbReceiveHandler{&Receive, &reception});
    EXPECT_EQ(service.receiveHandler(1).self, &reception);
}

TEST_F(SimPort, AnswersAreCutAt255Bytes) {
    Dispenser& dispenser = service.Attach(1);
    dispenser.faults().ScriptAnswer(Bytes(300, 0x41));
    port->vtbl->SetReceiveHandler(port, 1, SbReceiveHandler{&Receive, &reception});
    Exchange(1, Bytes{kEot, '0', kEnq}, 30);
    EXPECT_EQ(reception.count, 255);
    EXPECT_EQ(buffer[255], 0);
}

}  // namespace
}  // namespace sbsim
