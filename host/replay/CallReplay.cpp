#include "host/replay/CallReplay.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "host/lines/PointSession.h"
#include "host/program/DriverFailures.h"
#include "operations/MessageBuilder.h"

namespace sbhost {
namespace {

using sbreplay::HostCall;

// The call's exchanges read as messages: the requests it sent and the replies it got.
std::vector<sbdecode::ReadExchange> Messages(const sbreplay::RecordedCall& call) {
    sbdecode::Conversation conversation;
    std::vector<sbdecode::ReadExchange> read;
    for (const sbdecode::Exchange& exchange : call.exchanges) read.push_back(conversation.Read(exchange));
    return read;
}

// The text of the first request of that name the call sent whole.
std::optional<std::string> RequestText(const sbreplay::RecordedCall& call, const std::string& name) {
    for (const sbdecode::ReadExchange& read : Messages(call)) {
        if (read.request && read.request->name == name) return read.requestText;
    }
    return std::nullopt;
}

// A volume as the driver logs it: general notation, up to 15 significant digits.
std::string LoggedVolume(double volume) {
    char text[40];
    std::snprintf(text, sizeof text, "%.15g", volume);
    return text;
}

// The volume of a log line, with either decimal separator the system may have written.
std::optional<double> ReadLoggedVolume(std::string text) {
    for (char& c : text) {
        if (c == ',') c = '.';
    }
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0') return std::nullopt;
    return value;
}

Difference About(const sbreplay::RecordedCall& call, Difference::Kind kind, const std::string& what,
                 const std::string& recorded = "", const std::string& driver = "") {
    Difference difference;
    difference.kind = kind;
    difference.point = call.point;
    difference.call = call.call;
    difference.lineNumber = call.lineNumber;
    difference.timeMs = call.timeMs;
    difference.opening = call.opening;
    difference.what = what;
    difference.recordedValue = recorded;
    difference.driverValue = driver;
    return difference;
}

}  // namespace

void CallReplay::Start(const sbreplay::RecordedCall& call) {
    const SbDriverVtbl& vm = *driver_->vtbl;
    const std::optional<std::string> text = RequestText(call, "START");
    const std::optional<sbreplay::StartOrder> read =
        text ? sbreplay::ReadStartOrder(*text, settings_.PDec, settings_.SDec) : std::nullopt;
    // A START whose message never went through whole repeats the point's latest order; its prices and presets
    // then are still the driver's.
    if (read) starts_[call.point] = *read;
    const auto latest = starts_.find(call.point);
    const sbreplay::StartOrder order = latest != starts_.end() ? latest->second : sbreplay::StartOrder{};
    if (read) {
        vm.SetPrice(driver_, call.point, 0, order.grade, 0, 0, order.price);
        if (order.byVolume) vm.SetVolumePreset(driver_, call.point, 0, 0, 0, order.preset);
        else vm.SetAmountPreset(driver_, call.point, 0, 0, 0, order.preset);
    }
    vm.Start(driver_, call.point, 0, order.grade, order.mode);
}

int32_t CallReplay::CounterGradeOf(const sbreplay::RecordedCall& call) {
    for (const sbdecode::ReadExchange& read : Messages(call)) {
        if (!read.reply || read.reply->name != "GET COUNTER reply") continue;
        sbreplay::CounterTotals totals{};
        // Grades 1..4 are kept from a reply: "grade k" reads "1234.56 l 5678.90".
        for (std::size_t grade = 1; grade <= 4 && grade <= read.reply->fields.size(); ++grade)
            totals[grade] = std::strtod(read.reply->fields[grade - 1].value.c_str(), nullptr);
        totals_[call.point] = totals;
        break;
    }
    const std::optional<double> volume = ReadLoggedVolume(call.counterVolume);
    return sbreplay::CounterGrade(totals_[call.point], volume.value_or(0), call.counterFromMemory);
}

void CallReplay::Make(const sbreplay::RecordedCall& call, Results* results) {
    const SbDriverVtbl& vm = *driver_->vtbl;
    const uint32_t point = call.point;
    double amount = 0;
    switch (call.call) {
        case HostCall::kStatus: results->stateCode = vm.PollStatus(driver_, point, 0); break;
        case HostCall::kStart: Start(call); break;
        case HostCall::kCurrentData: results->volume = vm.CurrentDeliveryData(driver_, point, 0, &amount); break;
        case HostCall::kFinalData: vm.FinalDeliveryData(driver_, point, 0, &results->volume, &amount); break;
        case HostCall::kCounter:
            vm.GetCounter(driver_, point, 0, CounterGradeOf(call), &results->volume, &amount, 0, 0);
            break;
        case HostCall::kControl: {
            const std::optional<std::string> text = RequestText(call, "FILLING POINT CONTROL");
            const std::optional<uint32_t> on = text ? sbreplay::ReadControlSwitch(*text) : std::nullopt;
            vm.FillingPointControl(driver_, point, 0, on.value_or(1));
            break;
        }
    }
}

std::optional<Difference> CallReplay::Compare(const sbreplay::RecordedCall& call, const Results& results, bool failed,
                                              const std::string& failure) {
    if (call.failedSlot >= 0 || (failed && call.ended)) {
        ++figures_;
        const std::string recorded = call.failedSlot >= 0 ? call.failure : "no failure, the call ended";
        const std::string driver = failed ? failure : "no failure";
        if (call.failedSlot < 0 || !failed || failure != call.failure)
            return About(call, Difference::Kind::kFailure, "failure:", recorded, driver);
    }
    if (call.call == HostCall::kStatus && call.stateCode) {
        ++figures_;
        if (*call.stateCode != results.stateCode)
            return About(call, Difference::Kind::kFigure, "state code", Hex(*call.stateCode), Hex(results.stateCode));
    }
    if (call.call == HostCall::kCounter && !call.counterVolume.empty()) {
        ++figures_;
        const std::optional<double> recorded = ReadLoggedVolume(call.counterVolume);
        if (!recorded || std::fabs(*recorded - results.volume) > 1e-9 * std::max(1.0, std::fabs(results.volume)))
            return About(call, Difference::Kind::kFigure, "counter volume", call.counterVolume,
                         LoggedVolume(results.volume));
    }
    return std::nullopt;
}

std::optional<Difference> CallReplay::Replay(const sbreplay::RecordedCall& call) {
    if (call.overflow > 0) {
        return About(call, Difference::Kind::kUnreplayable,
                     "it holds more than " + std::to_string(sbreplay::kMaxCallExchanges) +
                         " exchanges, more than any call of the driver makes");
    }
    if (driver_ == nullptr) driver_ = library_.GetVM30()(0, nullptr, port_);
    if (driver_ == nullptr) return About(call, Difference::Kind::kUnreplayable, "the library made no driver");
    // Opening a line (slot 16) leaves no line in the log, and makes the point's next status poll begin with a
    // MASTER RESET: such a poll is the trace of a host that opened the line again. Opening it again changes
    // nothing where the reset was due anyway.
    const bool reopened =
        call.call == HostCall::kStatus && call.opening.rfind(sb::TraceName(sb::Command::MasterReset).utf8, 0) == 0;
    if (opened_.insert(call.point).second || reopened) {
        const int32_t answer = driver_->vtbl->OpenLine(driver_, call.point);
        if (answer != 0) {
            return About(call, Difference::Kind::kUnreplayable,
                         "its line does not open (the port answered " + std::to_string(answer) + ")");
        }
    }
    tracker_.Begin(call, &conversations_[call.point]);
    Results results;
    int ignored = 0;
    std::string failure;
    const bool failed = !RunCatchingDriverFailures(
        [&] {
            Make(call, &results);
            return 0;
        },
        &ignored, &failure);
    tracker_.End();
    if (tracker_.difference()) return tracker_.difference();
    return Compare(call, results, failed, failure);
}

}  // namespace sbhost
