#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "host/lines/PortWatch.h"
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
    Exchange(kPoll, 30,
             sbsim::FrameBlock("0110"
                               "0002ZD"
                               "01",
                               false));
    EXPECT_EQ(watch.Counts(1).deliveryReplies, 1u);
    EXPECT_EQ(driverHeard, 11);
}

// The driver's statistics for SbGetLinkStatistics, as a test sets them.
uint32_t SB_CALL ReadSetStatistics(SbDriver* driver, uint32_t, SbLinkStatistics* out) {
    *out = *reinterpret_cast<SbLinkStatistics*>(driver);
    return sizeof *out;
}

// What the driver counted is taken as it grows, each kind timed when it grew, never taken back by an older read;
// a closed watch fails every exchange at once and tells no answer.
TEST_F(PortWatchFaults, DriverCountsAreTakenAndTimedWhenTheyGrow) {
    // 40 exchanges, 30 answers (the latest 2.5 s before the read), 2 NAKs, 3 resends, an exchange limit.
    SbLinkStatistics driver{sizeof driver, 0, 40, 30, 0, 2, 0, 0, 0, 0, 3, 0, 0, 1, 5000000, 7500000};
    watch.ReadStatisticsFrom(reinterpret_cast<SbDriver*>(&driver), &ReadSetStatistics);
    Exchange(sbsim::FrameBlock("0100K1", true), 2, Bytes{sbsim::kNak});  // a NAK the driver counted already
    const LineCounts counts = watch.Counts(1);
    EXPECT_EQ((std::vector<uint64_t>{counts.exchanges, counts.retries, counts.Of(Fault::kNak).count,
                                     counts.Of(Fault::kExchangeLimit).count, counts.Of(Fault::kWait).count}),
              (std::vector<uint64_t>{40, 3, 2, 1, 0}));
    const double age = std::chrono::duration<double>(std::chrono::steady_clock::now() - counts.lastAnswer).count();
    // 2.5 s and the test's own time, however long a busy machine makes it; a wrong unit is far off either way.
    EXPECT_TRUE(counts.answered && age >= 2.5 && age < 60) << age;

    driver.waits = 1;
    EXPECT_EQ(watch.Counts(1).Of(Fault::kNak).last, counts.Of(Fault::kNak).last);
    EXPECT_EQ(watch.Counts(1).MostRecent(), Fault::kWait);
    driver.naksReceived = 1;  // as an older read from another thread: nothing goes back
    EXPECT_EQ(Count(Fault::kNak), 2u);

    watch.Close(true);
    EXPECT_NE(Exchange(kPoll, 30, Bytes{sbsim::kEot}), 0);
    EXPECT_EQ(watch.port()->vtbl->LineStatus(watch.port(), 1), 2u);
}

}  // namespace
}  // namespace sbhost
