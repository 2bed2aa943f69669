#include "operations/StartDelivery.h"

#include <optional>
#include <string>

#include "common/Cp1251.h"
#include "common/Failure.h"
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
constexpr uint32_t kAfterStartPauseMs = 80;
constexpr long double kNoVolumePreset = 0.001L;

constexpr const char* kCantStart = "Can't Start";

[[noreturn]] void RaiseCantStart(uint32_t reason) { RaiseSerialIO(SystemText(kCantStart), reason); }

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

// The volume (hundredths of a litre) the delivery is expected to end at: the volume preset, or the amount preset
// at the START's price (read in hundredths, as the plausibility check reads it). Nothing for a fill-up, or with no
// price to turn the amount into litres: only the dispenser knows where such a delivery ends.
std::optional<int64_t> ExpectedFinalVolume(const FillingPoint& fillingPoint, int32_t price) {
    if (fillingPoint.VolumePreset > kNoVolumePreset) {
        return RoundHalfEven(static_cast<long double>(fillingPoint.VolumePreset) * 100);
    }
    if (fillingPoint.AmountPreset == 0 || price <= 0) return std::nullopt;
    return RoundHalfEven(static_cast<long double>(fillingPoint.AmountPreset) * 10000 / price);
}

// "Can't Start": nothing is authorised, and no reader hands over the previous sale for this START.
[[noreturn]] void FailStart(FillingPoint& fillingPoint, uint32_t reason) {
    fillingPoint.Sale.Apply(SaleEvent::StartFailed);
    RaiseCantStart(reason);
}

// Sends the START message. Once the dispenser took it, the pump is authorised: a failure of the closing exchanges
// after that (the end of transmission, the reply's poll and acknowledgement) leaves the line result 2 and a log
// line, never "not started". Before that every failure is "Can't Start", with the reason of what stopped it.
void SendStart(Station& station, uint8_t point, DispenserMessage& message, const std::string& name) {
    FillingPoint& fillingPoint = station.Point(point);
    SendResult sent;
    try {
        sent = SendConfirmingResets(station, point, message);
    } catch (const ESerialIO& failure) {
        if (!message.delivered) FailStart(fillingPoint, failure.Reason());
        WriteLog(kLevelTrace, name + ": delivered, its closing exchanges failed");
        station.LinkOf(point).Line = LineState::LinkFailed;
        return;
    }
    if (sent.PortStopped()) FailStart(fillingPoint, RowOf(sent.outcome).reason);
    if (!message.delivered) {
        // Every attempt failed (blocks refused, the point not selected): the dispenser was not authorised.
        WriteLog(kLevelTrace, name + ": not delivered to the dispenser");
        FailStart(fillingPoint, RowOf(sent.outcome).reason);
    }
}

// The further reply collected after START; the pump is authorised whatever becomes of it.
void ReceiveAfterStart(Station& station, uint8_t point, DispenserMessage& message, const std::string& name) {
    try {
        ReceiveConfirmingResets(station, point, message.bytes.data(), DispenserMessage::kCapacity);
    } catch (const ESerialIO&) {
        WriteLog(kLevelTrace, name + ": delivered, its closing exchanges failed");
        station.LinkOf(point).Line = LineState::LinkFailed;
    }
}

// A dispenser that answers START with a refusal does not authorise the delivery: the host must not wait for a
// sale that will not come, nor take the previous sale still on display for this one. Once the point was shown
// started, it shows the state the START replaced again.
void RaiseIfRefused(Station& station, uint8_t point, const std::string& name, bool shownStarted) {
    const LinkContext& link = station.LinkOf(point);
    if (!link.ReplyRefusedOn[StartChannel()]) return;
    WriteLog(kLevelTrace, name + ": refused by the dispenser");
    FillingPoint& fillingPoint = station.Point(point);
    if (shownStarted) fillingPoint.PointState = RefusedStartState(fillingPoint.Sale.Now());
    FailStart(fillingPoint, SB_REASON_START_REFUSED);
}

}  // namespace

void StartDelivery(Station& station, uint8_t point, int32_t grade, uint8_t startMode) {
    FillingPoint& fillingPoint = station.Point(point);
    const std::string name = PointTrace(TraceName(Command::Start), point);
    if (!IsGrade(grade)) {
        WriteLog(kLevelTrace, name + ": grade " + std::to_string(grade) + " refused");
        FailStart(fillingPoint, SB_REASON_VALUE_REFUSED);
    }
    SaleFacts prepared;
    prepared.grade = static_cast<uint8_t>(grade);
    fillingPoint.Sale.Apply(SaleEvent::StartPrepared, prepared);
    WriteLog(kLevelTrace, name);
    // A value the host set was refused (the previous one is not used in its place), or would not fit its field
    // on the wire, which has no sign and fixed widths: nothing is sent.
    // A grade the host never priced would sell at the initial price of the table.
    if (!fillingPoint.PriceSet[grade] && !fillingPoint.PriceRefused[grade]) {
        WriteLog(kLevelTrace, name + ": grade " + std::to_string(grade) + " has no price set");
        FailStart(fillingPoint, SB_REASON_VALUE_REFUSED);
    }
    const int32_t price = fillingPoint.Price[grade];
    const std::optional<Preset> preset = PresetOf(station, fillingPoint);
    const char* refusal = fillingPoint.PriceRefused[grade]              ? ": price of the grade refused, none set since"
                          : fillingPoint.PresetRefused                  ? ": preset refused, none set since"
                          : !FitsDigits(price, kPriceDigits) || !preset ? ": price or preset refused"
                                                                        : nullptr;
    if (refusal != nullptr) {
        WriteLog(kLevelTrace, name + refusal);
        FailStart(fillingPoint, SB_REASON_VALUE_REFUSED);
    }
    const std::string gradeDigit = std::to_string(grade);
    const std::string priceDigits = WireNumber(static_cast<uint64_t>(price), kPriceDigits);
    const std::string presetDigits = WireNumber(preset->value, kPresetDigits);
    DispenserMessage message = Request(station, point, Command::Start,
                                       {fillingPoint.PointCode, gradeDigit, priceDigits, presetDigits,
                                        std::string_view(&preset->kind, 1), startMode != 0 ? "0" : "1"});
    SendStart(station, point, message, name);
    RaiseIfRefused(station, point, name, false);

    SaleFacts delivered;
    delivered.grade = static_cast<uint8_t>(grade);
    delivered.price = price;
    delivered.expectedFinal = ExpectedFinalVolume(fillingPoint, price);
    delivered.state = fillingPoint.PointState;
    fillingPoint.Sale.Apply(SaleEvent::StartDelivered, delivered);
    fillingPoint.PointState = static_cast<uint8_t>(kStartedState + grade);
    {
        // A GET COUNTER of this point on another thread reads the cache under the point's lock.
        platform::LockGuard hold(station.LinkOf(point).PointLock);
        fillingPoint.VolumeTotals[1] = 0;
    }
    ReceiveAfterStart(station, point, message, name);
    platform::Sleep(kAfterStartPauseMs);
    WriteLog(kLevelTrace, trace::kEndPrefix + name);
    RaiseIfRefused(station, point, name, true);
}

}  // namespace sb
