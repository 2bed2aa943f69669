#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>

#include "host/PortWatch.h"
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
    uint64_t Count(Fault fault) { return watch.Counts(1).Of(fault).count; }

    sbsim::SimPortService sim;
    PortWatch watch{sim.port()};
    uint8_t buffer[256] = {};
    int driverHeard = 0;
};

// Every kind of answer is named by its bytes as the latest exchange's fault; the watch counts only the kinds the
// driver does not, and the driver's own handler still hears each answer.
TEST_F(PortWatchFaults, EveryAnswerIsNamedByItsBytes) {
    Bytes corrupted = sbsim::FrameBlock(StatusReport('0'), true);
    corrupted[3] ^= 0x01;  // a data byte, after its check byte was made
    Exchange(kPoll, 30, corrupted);
    EXPECT_EQ(watch.Counts(1).latest, Fault::kBadCheck);
    EXPECT_EQ(Count(Fault::kBadCheck), 0u) << "the driver counts bad checks";
    Exchange(kPoll, 30, Bytes{0x7F, 0x31});
    EXPECT_EQ(watch.Counts(1).latest, Fault::kNoise);
    EXPECT_EQ(Count(Fault::kNoise), 1u);
    Exchange(kPoll, 30, Bytes{sbsim::kEot});
    EXPECT_FALSE(watch.Counts(1).latest);
    Exchange(sbsim::FrameBlock("0100K1", true), 2, Bytes{sbsim::kNak});
    EXPECT_EQ(watch.Counts(1).latest, Fault::kNak);
    Exchange(kPoll, 30, sbsim::FrameBlock("0180", true));
    EXPECT_EQ(watch.Counts(1).latest, Fault::kWait);
    Exchange(kPoll, 30, sbsim::FrameBlock("0190", true));
    EXPECT_EQ(watch.Counts(1).latest, Fault::kRefused);

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
    EXPECT_EQ(driverHeard, 11);
}

// The driver's statistics for SbGetLinkStatistics, as a test sets them.
uint32_t SB_CALL ReadSetStatistics(SbDriver* driver, uint32_t point, SbLinkStatistics* out) {
    if (point != 1) return 0;
    *out = *reinterpret_cast<SbLinkStatistics*>(driver);
    return sizeof *out;
}

// What the driver counted is taken as it grows, each kind timed when it grew, never taken back by an older read;
// a closed watch fails every exchange at once and tells no answer.
TEST_F(PortWatchFaults, DriverCountsAreTakenAndTimedWhenTheyGrow) {
    SbLinkStatistics driver{};
    watch.ReadStatisticsFrom(reinterpret_cast<SbDriver*>(&driver), &ReadSetStatistics);
    EXPECT_FALSE(watch.Counts(1).answered);
    driver.exchanges = 40;
    driver.resends = 3;
    driver.naksReceived = 2;
    driver.exchangeLimits = 1;
    driver.answers = 30;
    driver.lastAnswerUs = 5000000;
    driver.nowUs = 7500000;
    Exchange(sbsim::FrameBlock("0100K1", true), 2, Bytes{sbsim::kNak});  // a NAK the driver counted already
    const LineCounts counts = watch.Counts(1);
    EXPECT_EQ(counts.exchanges, 40u);
    EXPECT_EQ(counts.retries, 3u);
    EXPECT_EQ(counts.Of(Fault::kNak).count, 2u);
    EXPECT_EQ(counts.Of(Fault::kExchangeLimit).count, 1u);
    EXPECT_EQ(counts.Of(Fault::kWait).count, 0u);
    const double age = std::chrono::duration<double>(std::chrono::steady_clock::now() - counts.lastAnswer).count();
    EXPECT_TRUE(counts.answered);
    EXPECT_TRUE(age >= 2.5 && age < 3.5) << age;

    driver.waits = 1;
    const LineCounts later = watch.Counts(1);
    EXPECT_EQ(later.Of(Fault::kNak).last, counts.Of(Fault::kNak).last);
    EXPECT_GT(later.Of(Fault::kWait).last, counts.Of(Fault::kNak).last);
    EXPECT_EQ(later.MostRecent(), Fault::kWait);
    driver.exchanges = 39;
    driver.naksReceived = 1;
    EXPECT_EQ(watch.Counts(1).exchanges, 40u);
    EXPECT_EQ(Count(Fault::kNak), 2u);

    watch.Close(true);
    EXPECT_NE(Exchange(kPoll, 30, Bytes{sbsim::kEot}), 0);
    EXPECT_EQ(watch.port()->vtbl->LineStatus(watch.port(), 1), 2u);
}

}  // namespace
}  // namespace sbhost
