#include "operations/StartDelivery.h"

#include <optional>
#include <string>

#include "common/Cp1251.h"
#include "common/Failure.h"
#include "operations/DeliveryData.h"
#include "operations/LinkCalls.h"
#include "operations/MessageBuilder.h"
#include "operations/PricesAndPresets.h"
#include "operations/TraceNames.h"
#include "operations/WireNumbers.h"
#include "platform/Clock.h"
#include "state/PointTrace.h"

namespace sb {
namespace {

constexpr uint8_t kStartedState = 0xE8;
constexpr uint8_t kStartHoldPolls = 6;
constexpr uint32_t kAfterStartPauseMs = 80;
constexpr long double kNoVolumePreset = 0.001L;

constexpr const char* kCantStart = "Can't Start";

[[noreturn]] void RaiseCantStart(uint32_t reason) { RaiseSerialIO(SystemText(kCantStart), reason); }

// A dispenser that answers START with a refusal does not authorise the delivery: the host must not wait for a
// sale that will not come, nor take the previous sale still on display for this one.
void RaiseIfRefused(const LinkContext& link, const std::string& name) {
    if (!link.ReplyRefused) return;
    WriteLog(kLevelTrace, name + ": refused by the dispenser");
    RaiseCantStart(SB_REASON_START_REFUSED);
}

struct Preset {
    uint64_t value;
    char kind;  // "1" volume in hundredths of a litre, "2" amount in units of 1/SDec
};

std::optional<Preset> PresetOf(Station& station, const FillingPoint& fillingPoint) {
    if (fillingPoint.VolumePreset > kNoVolumePreset) {
        const auto hundredths = RoundHalfEven(static_cast<long double>(fillingPoint.VolumePreset) * 100);
        if (!hundredths || !FitsDigits(*hundredths, kPresetDigits)) return std::nullopt;
        return Preset{static_cast<uint64_t>(*hundredths), '1'};
    }
    const auto units = RoundHalfEven(static_cast<long double>(station.SDec) * fillingPoint.AmountPreset);
    if (!units || !FitsDigits(*units, kPresetDigits)) return std::nullopt;
    return Preset{static_cast<uint64_t>(*units), '2'};
}

}  // namespace

void EndRefusedStart(FillingPoint& fillingPoint) {
    const uint8_t before = fillingPoint.StateBeforeStart;
    const bool startedBefore = before >= kStartedState && before <= kStartedState + kGradeCount;
    fillingPoint.PointState = startedBefore ? FillingPoint::kInitialState : before;
    fillingPoint.StartHold = 0;
    fillingPoint.StartRefused = false;
}

void StartDelivery(Station& station, uint8_t point, int32_t grade, uint8_t startMode) {
    FillingPoint& fillingPoint = station.Point(point);
    const std::string name = PointTrace(TraceName(Command::Start), point);
    if (!IsGrade(grade)) {
        WriteLog(kLevelTrace, name + ": grade " + std::to_string(grade) + " refused");
        RaiseCantStart(SB_REASON_VALUE_REFUSED);
    }
    KeepVolume(fillingPoint, 0);
    fillingPoint.SaleGrade = static_cast<uint8_t>(grade);
    WriteLog(kLevelTrace, name);
    // A value the host set was refused (the previous one is not used in its place), or would not fit its field
    // on the wire, which has no sign and fixed widths: nothing is sent.
    // A grade the host never priced would sell at the initial price of the table.
    if (!fillingPoint.PriceSet[grade] && !fillingPoint.PriceRefused[grade]) {
        WriteLog(kLevelTrace, name + ": grade " + std::to_string(grade) + " has no price set");
        RaiseCantStart(SB_REASON_VALUE_REFUSED);
    }
    const int32_t price = fillingPoint.Price[grade];
    const std::optional<Preset> preset = PresetOf(station, fillingPoint);
    const char* refusal = fillingPoint.PriceRefused[grade]              ? ": price of the grade refused, none set since"
                          : fillingPoint.PresetRefused                  ? ": preset refused, none set since"
                          : !FitsDigits(price, kPriceDigits) || !preset ? ": price or preset refused"
                                                                        : nullptr;
    if (refusal != nullptr) {
        WriteLog(kLevelTrace, name + refusal);
        RaiseCantStart(SB_REASON_VALUE_REFUSED);
    }
    const std::string gradeDigit = std::to_string(grade);
    const std::string priceDigits = WireNumber(static_cast<uint64_t>(price), kPriceDigits);
    const std::string presetDigits = WireNumber(preset->value, kPresetDigits);
    DispenserMessage message = Request(station, point, Command::Start,
                                       {fillingPoint.PointCode, gradeDigit, priceDigits, presetDigits,
                                        std::string_view(&preset->kind, 1), startMode != 0 ? "0" : "1"});
    const SendResult sent = SendConfirmingResets(station, point, message);
    if (sent.PortStopped()) RaiseCantStart(RowOf(sent.outcome).reason);
    if (!message.delivered) {
        // Every attempt failed (blocks refused, the point not selected): the dispenser was not authorised.
        WriteLog(kLevelTrace, name + ": not delivered to the dispenser");
        RaiseCantStart(RowOf(sent.outcome).reason);
    }
    LinkContext& link = station.LinkOf(point);
    RaiseIfRefused(link, name);

    KeepVolume(fillingPoint, 0);
    fillingPoint.CurAmount = 0;
    fillingPoint.StateBeforeStart = fillingPoint.PointState;
    fillingPoint.PointState = static_cast<uint8_t>(kStartedState + grade);
    fillingPoint.StartHold = kStartHoldPolls;
    fillingPoint.StartLatest = true;
    fillingPoint.StartRefused = false;
    fillingPoint.SaleBegan = false;
    fillingPoint.LockWaited = false;
    fillingPoint.FinishReported = false;
    fillingPoint.NewSale = true;
    if (fillingPoint.DisplayUnread) fillingPoint.LastVolumeKnown = false;
    fillingPoint.DisplayUnread = false;
    {
        // A GET COUNTER of this point on another thread reads the cache under the point's lock.
        platform::LockGuard hold(link.PointLock);
        fillingPoint.VolumeTotals[1] = 0;
    }
    ReceiveConfirmingResets(station, point, message.bytes.data(), DispenserMessage::kCapacity);
    platform::Sleep(kAfterStartPauseMs);
    WriteLog(kLevelTrace, trace::kEndPrefix + name);
    if (link.ReplyRefused) {
        EndRefusedStart(fillingPoint);
        RaiseIfRefused(link, name);
    }
}

}  // namespace sb
