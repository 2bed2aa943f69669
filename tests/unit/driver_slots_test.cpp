// The small slots of the host method table, called through the table as a host calls them.
#include <gtest/gtest.h>

#include <cmath>

#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "driver/DriverFactory.h"
#include "driver/TVM30.h"
#include "support/LogCapture.h"
#include "support/RecordingClock.h"
#include "support/TempDir.h"

namespace {

class SlotsTest : public ::testing::Test {
protected:
    SlotsTest() : driver(sb::NewDriver(nullptr, dir.File("cnf.INI"))), vm(driver->vtbl) {}
    ~SlotsTest() override { delete &sb::TVM30::From(driver); }

    sb::TVM30& Table() { return sb::TVM30::From(driver); }

    sbtest::RecordingClock clock;
    sbtest::LogCapture log;
    sbtest::TempDir dir;
    SbDriver* driver;
    const SbDriverVtbl* vm;
};

TEST_F(SlotsTest, ConstructionDefaultsOfEveryPoint) {
    for (uint32_t p = 1; p <= sb::kPointCount; ++p) {
        const sb::FillingPoint& point = Table().Point(static_cast<uint8_t>(p));
        EXPECT_EQ(vm->GetLineResult(driver, p), 1u);
        EXPECT_EQ(point.PointState, 192);
        for (int g = 1; g <= 6; ++g) EXPECT_EQ(point.Price[g], 20);
        const sb::LinkContext& link = Table().LinkOf(static_cast<uint8_t>(p));
        EXPECT_EQ(link.SeqChar[0], '0');
        EXPECT_EQ(link.SeqChar[1], '0');
        EXPECT_EQ(link.ReqChar[0], '0');
        EXPECT_EQ(link.ReqChar[1], '0');
        EXPECT_STREQ(point.PointCode, "01");
        const sb::Sale sale = point.Sale.Now();
        EXPECT_EQ(sale.grade, 1);
        EXPECT_EQ(sale.startHold, 0);
        EXPECT_EQ(point.NoReplyCount, 0);
        EXPECT_FALSE(point.MasterResetPending);
        // A driver that starts knows nothing of the displays.
        EXPECT_EQ(sale.stage, sb::DeliveryStage::Closed);
        EXPECT_FALSE(sale.referenceKnown);
        EXPECT_EQ(sale.volume, 0.0);
        EXPECT_EQ(point.VolumePreset, 0.0);
        EXPECT_EQ(point.AmountPreset, 0.0);
        EXPECT_EQ(point.VolumeTotals[1], 0.0);
    }
}

TEST_F(SlotsTest, DescriptionBlockIsExactly32Bytes) {
    SbDescription block;
    std::memset(&block, 0xEE, sizeof block);
    vm->Describe(&block, driver);
    EXPECT_EQ(block.bytes[0], 31);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(block.bytes + 1), 31),
              "v2.50#\xCF\xF0\xEE\xF2\xEE\xEA\xEE\xEB \xEA Sheidt&Bachman");
    EXPECT_EQ(block.bytes[31], 'n');
}

TEST_F(SlotsTest, CapabilityAnswersAreWrittenOnlyOnTrue) {
    const int32_t expected[] = {0, 0, 0, 1, 0, 1, 0, 0, 0, 9700};
    for (uint32_t code = 0; code <= 11; ++code) {
        int32_t answer = -77;
        const uint32_t result = vm->Capability(driver, code, &answer);
        const bool known = (code >= 1 && code <= 6) || code == 9;
        EXPECT_EQ(result, known ? 1u : 0u) << code;
        EXPECT_EQ(answer, known ? expected[code] : -77) << code;
    }
    int32_t answer = -77;
    EXPECT_EQ(vm->Capability(driver, 0xFFFFFFFFu, &answer), 0u);
    EXPECT_EQ(answer, -77);
}

TEST_F(SlotsTest, PriceIsScaledAndRoundedHalfToEven) {
    Table().PDec = 1;
    // A price that reaches the wire as 0 or below would sell for nothing: refused, the one before it stays.
    const double prices[] = {1.5, 2.5, 3.5, 0.5, -1.5, -0.0, 1e-9};
    const int32_t stored[] = {2, 2, 4, 4, 4, 4, 4};
    for (int i = 0; i < 7; ++i) {
        vm->SetPrice(driver, 7, 0, 3, 0, 0, prices[i]);
        EXPECT_EQ(Table().Point(7).Price[3], stored[i]) << prices[i];
    }
    Table().PDec = 100;
    vm->SetPrice(driver, 7, 0, 6, 0, 0, 1.25);
    EXPECT_EQ(Table().Point(7).Price[6], 125);
    vm->SetPrice(driver, 7, 0, 6, 0, 0, 45.9);
    EXPECT_EQ(Table().Point(7).Price[6], 4590);
    SbSetFailureMode(driver, SB_FAILURES_RETURN);  // the setter's record says why
    for (double free : {0.004, -0.004}) vm->SetPrice(driver, 7, 0, 6, 0, 0, free);
    EXPECT_EQ(Table().Point(7).Price[6], 4590);
    EXPECT_EQ(SbGetLastFailureReason(), static_cast<uint32_t>(SB_REASON_VALUE_REFUSED));
    // START carries four price digits: a wider price would shift the message and is refused, never wrapped.
    vm->SetPrice(driver, 7, 0, 1, 0, 0, 99.99);
    EXPECT_EQ(Table().Point(7).Price[1], 9999);
    for (double wide : {100.0, 42949672.96, 21474836.48, 99999999.0}) {
        vm->SetPrice(driver, 7, 0, 1, 0, 0, wide);
        EXPECT_EQ(Table().Point(7).Price[1], 9999) << wide;
    }
    EXPECT_TRUE(log.Has("PRICE(7): grade 1 price 99999999 refused"));
    EXPECT_EQ(Table().Point(8).Price[6], 20);
}

TEST_F(SlotsTest, PresetsClearEachOtherOnlyForTheirOwnPoint) {
    vm->SetAmountPreset(driver, 4, 0, 0, 0, 300.0);
    vm->SetVolumePreset(driver, 5, 0, 0, 0, 20.0);
    vm->SetAmountPreset(driver, 5, 0, 0, 0, 500.0);
    EXPECT_EQ(Table().Point(5).VolumePreset, 0.0);
    EXPECT_EQ(Table().Point(5).AmountPreset, 500.0);
    vm->SetVolumePreset(driver, 5, 0, 0, 0, 12.5);
    EXPECT_EQ(Table().Point(5).VolumePreset, 12.5);
    EXPECT_EQ(Table().Point(5).AmountPreset, 0.0);
    EXPECT_EQ(Table().Point(4).AmountPreset, 300.0);
    EXPECT_EQ(Table().Point(4).VolumePreset, 0.0);
}

TEST_F(SlotsTest, LineResultUsesTheLowBytes) {
    vm->SetLineResult(driver, 0x103, 0x1FF);
    EXPECT_EQ(vm->GetLineResult(driver, 3), 0xFFu);
    EXPECT_EQ(vm->GetLineResult(driver, 0x203), 0xFFu);
}

TEST_F(SlotsTest, EmptySlotsDoNothing) {
    vm->Reserved5(driver, 1);
    vm->Reserved8(driver, 1, 2, 3, 4, 5, 6, 7);
    vm->Reserved12(driver, 1, 2, 3);
    vm->Reserved17(driver, 1, 2, 3);
    vm->Reserved18(driver, 1, 2, 3, 4);
    EXPECT_TRUE(log.Texts().empty());
}

TEST_F(SlotsTest, AbstractSlotRaises) {
    EXPECT_THROW(vm->Abstract(driver), sb::EAbstractError);
    SbSetFailureMode(driver, SB_FAILURES_RETURN);
    vm->Abstract(driver);
    SbFailure failure;
    ASSERT_EQ(SbGetLastFailure(&failure), 1u);
    EXPECT_EQ(failure.code, static_cast<uint32_t>(SB_FAILURE_ABSTRACT));
    EXPECT_STREQ(failure.cp1251, "Abstract Error");
    // Switching mode clears it: raise mode would otherwise keep returning it after good calls.
    SbSetFailureMode(driver, SB_FAILURES_RAISE);
    EXPECT_EQ(SbGetLastFailure(&failure), 0u);
}

// Given no port service nothing crashes: each exchange fails with a reason of its own, told once by a critical line
// (an entry-point call installs one: driver_lines_and_entry_points_test).
TEST_F(SlotsTest, MissingPortServiceFailsTheExchangesUntilOneIsInstalled) {
    SbSetFailureMode(driver, SB_FAILURES_RETURN);
    for (int slot : {16, 10}) {
        slot == 16 ? (void)vm->OpenLine(driver, 2) : (void)vm->PollStatus(driver, 1, 0);
        EXPECT_EQ(SbGetLastFailureReason(), static_cast<uint32_t>(SB_REASON_NO_PORT_SERVICE)) << slot;
    }
    EXPECT_EQ(log.Count("Порт-сервис не передан драйверу (точка 2): обмен с ТРК невозможен"), 1u);
}

TEST_F(SlotsTest, PointsAndGradesOutsideTheTablesAreRefused) {
    for (uint32_t bad : {0u, 33u, 255u}) {
        vm->SetLineResult(driver, bad, 9);
        EXPECT_EQ(vm->GetLineResult(driver, bad), 0u);
        vm->SetVolumePreset(driver, bad, 0, 0, 0, 1.0);
        vm->SetAmountPreset(driver, bad, 0, 0, 0, 1.0);
        vm->SetPrice(driver, bad, 0, 1, 0, 0, 1.0);
        EXPECT_EQ(vm->PollStatus(driver, bad, 0), 0u);
        double amount = 5;
        EXPECT_EQ(vm->CurrentDeliveryData(driver, bad, 0, &amount), 0.0);
        EXPECT_EQ(amount, 0.0);
    }
    // START and OpenLine raise: the host would otherwise take the pump for authorised or the line for open.
    EXPECT_THROW(vm->Start(driver, 0x121, 0, 1, 1), sb::ESerialIO);
    EXPECT_THROW(vm->OpenLine(driver, 0), sb::ESerialIO);
    // In return mode every slot's record holds the refusal (START its own failure).
    SbSetFailureMode(driver, SB_FAILURES_RETURN);
    const std::pair<int, std::function<void(uint32_t)>> calls[] = {
        {3, [&](uint32_t bad) { vm->GetLineResult(driver, bad); }},
        {13, [&](uint32_t bad) { vm->SetVolumePreset(driver, bad, 0, 0, 0, 1.0); }},
        {19, [&](uint32_t bad) { vm->StartGrade1(driver, bad, 0, 0); }}};
    for (const auto& [slot, call] : calls) {
        call(0);
        const std::string line = "BAD POINT(0): slot " + std::to_string(slot) + " refused";
        SbFailure failure;
        SbGetLastFailure(&failure);
        EXPECT_EQ(SbGetLastFailureReason(), static_cast<uint32_t>(SB_REASON_POINT_REFUSED)) << line;
        EXPECT_STREQ(failure.utf8, slot == 19 ? "Can't Start" : line.c_str());
    }
    SbSetFailureMode(driver, SB_FAILURES_RAISE);
    // Preset and price slots take the whole 32-bit point number.
    vm->SetVolumePreset(driver, 0x101, 0, 0, 0, 1.0);
    EXPECT_EQ(Table().Point(1).VolumePreset, 0.0);
    for (int32_t grade : {0, 7, -1}) vm->SetPrice(driver, 1, 0, grade, 0, 0, 9.0);
    for (int g = 1; g <= 6; ++g) EXPECT_EQ(Table().Point(1).Price[g], 20);
    EXPECT_TRUE(log.Has("BAD POINT(33): slot 10 refused"));
    EXPECT_TRUE(log.Has("PRICE(1): grade 7 price 9 refused"));
    // A preset that is not a number would authorise an unlimited fill: refused, the one before it stays.
    vm->SetVolumePreset(driver, 1, 0, 0, 0, 2.5);
    vm->SetVolumePreset(driver, 1, 0, 0, 0, std::nan(""));
    vm->SetAmountPreset(driver, 1, 0, 0, 0, -HUGE_VAL);
    EXPECT_EQ(Table().Point(1).VolumePreset, 2.5);
    EXPECT_EQ(Table().Point(1).AmountPreset, 0.0);
    EXPECT_TRUE(log.Has("PRESET(1): volume NAN refused"));
    EXPECT_TRUE(log.Has("PRESET(1): amount -INF refused"));
    // Records the host gave no address for are not written.
    vm->Describe(nullptr, driver);
    vm->StatusRecord(nullptr, driver, 33, 0, 0);

    // Link statistics of a bad point or object, into no record or one too small: refused; a later version's gets ours.
    struct {
        SbLinkStatistics known;
        uint64_t later;
    } grown;
    std::memset(&grown, 0xEE, sizeof grown);
    grown.known.size = sizeof grown.known - 1;
    for (SbDriver* object : {driver, static_cast<SbDriver*>(nullptr), reinterpret_cast<SbDriver*>(&grown)})
        for (uint32_t point : {0u, 1u, 33u, 0x101u}) EXPECT_EQ(SbGetLinkStatistics(object, point, &grown.known), 0u);
    EXPECT_EQ(SbGetLinkStatistics(driver, 1, nullptr), 0u);
    EXPECT_EQ(grown.known.exchanges, 0xEEEEEEEEEEEEEEEEu);
    grown.known.size = sizeof grown;
    EXPECT_EQ(SbGetLinkStatistics(driver, 1, &grown.known), sizeof grown.known);
    EXPECT_EQ((std::vector<uint64_t>{grown.known.size, grown.known.exchanges, grown.later}),
              (std::vector<uint64_t>{sizeof grown, 0, 0xEEEEEEEEEEEEEEEEu}));
}

}  // namespace
