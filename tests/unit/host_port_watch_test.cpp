#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "host/PortWatch.h"
#include "link/ExchangeBudget.h"
#include "sim/SimPortService.h"
#include "sim/Wire.h"

namespace sbhost {
namespace {

using sbsim::Bytes;

const Bytes kPoll{sbsim::kEot, '0', sbsim::kEnq};

uint32_t SB_CALL Received(void* count, uint32_t, const uint8_t*, uint32_t, uint8_t*, uint8_t*) {
    ++*static_cast<int*>(count);
    return 1;
}

// A status report of the simulator's layout with the given status character.
std::string StatusReport(char status) { return std::string("0100") + "0000ZD" + "01" + "000" + status + "00"; }

class PortWatchFaults : public ::testing::Test {
protected:
    PortWatchFaults() {
        sim.Attach(1);
        watch.port()->vtbl->SetReceiveHandler(watch.port(), 1, SbReceiveHandler{&Received, &driverHeard});
    }
    // One exchange of point 1 through the watch, answered with exactly `answer` (empty: silence).
    int32_t Exchange(const Bytes& sent, uint32_t replySize, const Bytes& answer) {
        sim.dispenser(1)->faults().ScriptAnswer(answer);
        std::memcpy(buffer, sent.data(), sent.size());
        return watch.port()->vtbl->SendReceive(watch.port(), 1, buffer, static_cast<uint32_t>(sent.size()), buffer,
                                               replySize, 0);
    }
    uint64_t Count(Fault fault) const { return watch.Counts(1).Of(fault).count; }

    sbsim::SimPortService sim;
    PortWatch watch{sim.port()};
    uint8_t buffer[256] = {};
    int driverHeard = 0;
};

// Every kind of answer is named by its bytes, counted once, and the driver's own handler still hears each.
TEST_F(PortWatchFaults, EveryAnswerIsNamedByItsBytes) {
    Bytes corrupted = sbsim::FrameBlock(StatusReport('0'), true);
    corrupted[3] ^= 0x01;  // a data byte, after its check byte was made
    Exchange(kPoll, 30, corrupted);
    EXPECT_EQ(Count(Fault::kBadCheck), 1u);
    Exchange(kPoll, 30, Bytes{0x7F, 0x31});
    EXPECT_EQ(watch.Counts(1).latest, Fault::kNoise);
    EXPECT_FALSE(watch.Counts(1).answered) << "a garbled answer is no sign of the dispenser";
    Exchange(kPoll, 30, Bytes{sbsim::kEot});
    EXPECT_FALSE(watch.Counts(1).latest);
    Exchange(sbsim::FrameBlock("0100K1", true), 2, Bytes{sbsim::kNak});
    EXPECT_EQ(Count(Fault::kNak), 1u);
    EXPECT_EQ(watch.Counts(1).retries, 1u);
    Exchange(kPoll, 30, sbsim::FrameBlock("0180", true));
    Exchange(kPoll, 30, sbsim::FrameBlock("0190", true));
    EXPECT_EQ(Count(Fault::kWait), 1u);
    EXPECT_EQ(Count(Fault::kRefused), 1u);
    EXPECT_TRUE(watch.Counts(1).answered);

    // Switched off counts when the point goes off, not at every report saying so.
    Exchange(kPoll, 30, sbsim::FrameBlock(StatusReport('7'), true));
    Exchange(kPoll, 30, sbsim::FrameBlock(StatusReport('7'), true));
    EXPECT_TRUE(watch.Counts(1).switchedOff);
    EXPECT_EQ(Count(Fault::kSwitchedOff), 1u);
    Exchange(kPoll, 30, sbsim::FrameBlock(StatusReport('0'), true));
    EXPECT_FALSE(watch.Counts(1).switchedOff);

    Exchange(kPoll, 30, Bytes{});
    EXPECT_EQ(watch.Counts(1).latest, Fault::kNoAnswer);
    EXPECT_EQ(watch.Counts(1).silentPolls, 1u);
    Exchange(kPoll, 30, sbsim::FrameBlock("0110" "0002ZD" "01", false));
    EXPECT_EQ(watch.Counts(1).deliveryReplies, 1u);
    EXPECT_EQ(watch.Counts(1).exchanges, 11u);
    EXPECT_EQ(driverHeard, 11);
}

// A call counts as an exchange limit at the driver's most exchanges, not one before; a closed watch fails every
// exchange at once and tells no answer.
TEST_F(PortWatchFaults, ExchangeLimitAndClosing) {
    watch.BeginCall(1);
    for (uint32_t i = 1; i < sb::kExchangesPerCall; ++i) Exchange(kPoll, 30, Bytes{sbsim::kEot});
    watch.EndCall(1);
    EXPECT_EQ(Count(Fault::kExchangeLimit), 0u);
    watch.BeginCall(1);
    for (uint32_t i = 0; i < sb::kExchangesPerCall; ++i) Exchange(kPoll, 30, Bytes{sbsim::kEot});
    watch.EndCall(1);
    EXPECT_EQ(Count(Fault::kExchangeLimit), 1u);

    watch.Close(true);
    EXPECT_NE(Exchange(kPoll, 30, Bytes{sbsim::kEot}), 0);
    EXPECT_EQ(watch.port()->vtbl->LineStatus(watch.port(), 1), 2u);
}

}  // namespace
}  // namespace sbhost
