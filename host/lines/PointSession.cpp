#include "host/lines/PointSession.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <limits>

#include "common/Cp1251.h"
#include "decode/StateMeaning.h"
#include "host/program/TimeText.h"

namespace sbhost {

std::string Hex(uint32_t code) {
    char text[16];
    std::snprintf(text, sizeof text, "%02X", code);
    return text;
}

bool IsNozzleUp(uint32_t code) { return code >= 0xE0 && code <= 0xE6; }
bool IsDeliveryStopped(uint32_t code) { return code >= 0xD0 && code <= 0xD6; }
bool IsDelivering(uint32_t code) { return code >= 0xD8 && code <= 0xDE; }
bool HasFigures(uint32_t code) { return code >= 0xD0 && code <= 0xDF; }

std::string FiguresText(const Figures& figures) {
    const std::string lineResult = "line result " + std::to_string(figures.lineResult) + ")";
    if (figures.known) return Fixed(figures.volume) + " l, " + Fixed(figures.amount) + " (" + lineResult;
    return "unknown (" + (figures.fault ? std::string(FaultName(*figures.fault)) + ", " : "") + lineResult;
}

JsonObject& AddFigures(JsonObject& json, const Figures& figures) {
    constexpr double kUnknown = std::numeric_limits<double>::quiet_NaN();  // written as null
    json.Figure("volume", figures.known ? figures.volume : kUnknown)
        .Figure("amount", figures.known ? figures.amount : kUnknown);
    if (!figures.known && figures.fault) json.Text("fault", FaultKey(*figures.fault));
    return json.Number("line_result", figures.lineResult);
}

PointSession::PointSession(SbDriver* driver, uint32_t point, Output& out, PortWatch& watch)
    : driver_(driver), vm_(*driver->vtbl), point_(point), out_(out), watch_(watch) {}

void PointSession::TellDriver() {
    SbDescription description;
    vm_.Describe(&description, driver_);
    const std::string text =
        sb::ToUtf8(std::string(reinterpret_cast<const char*>(description.bytes + 1), description.bytes[0]));
    out_.Emit("driver: " + text, JsonObject().Text("event", "driver").Text("description", text));
}

bool PointSession::OpenLine() {
    const int32_t answer = vm_.OpenLine(driver_, point_);
    out_.Emit("open line " + std::to_string(point_) + ": port answered " + std::to_string(answer),
              JsonObject().Text("event", "open").Number("point", point_).Number("port_answer", answer));
    return answer == 0;
}

uint32_t PointSession::Poll() { return vm_.PollStatus(driver_, point_, 0); }

uint32_t PointSession::PollUntil(const std::function<bool(uint32_t)>& done, const std::string& waitingFor) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    Clock::time_point told = start;
    uint32_t code = 0;
    int silent = 0;
    for (int i = 0; i < kMaxPolls && silent < kMaxSilentPolls; ++i) {
        code = Poll();
        silent = Silent() ? silent + 1 : 0;
        if (done(code)) break;
        if (std::chrono::duration<double>(Clock::now() - told).count() < kProgressSeconds) continue;
        told = Clock::now();
        const long long seconds = std::llround(std::chrono::duration<double>(told - start).count());
        const sbdecode::StateCode state = sbdecode::ReadStateCode(code);
        out_.Emit(StampText(std::chrono::system_clock::now()) + "   waiting for " + waitingFor + ": " +
                      std::to_string(seconds) + " s, " + std::to_string(i + 1) + " polls, state " + Hex(code) + " (" +
                      (silent > 0 ? "no answer" : state.meaning) + ")",
                  JsonObject()
                      .Text("event", "waiting")
                      .Text("time", IsoText(std::chrono::system_clock::now()))
                      .Number("point", point_)
                      .Text("for", waitingFor)
                      .Number("seconds", seconds)
                      .Number("polls", i + 1)
                      .Text("code", Hex(code))
                      .Flag("answered", silent == 0));
    }
    return code;
}

bool PointSession::Watch() {
    bool delivered = false;
    int silent = 0;
    for (int i = 0; i < kMaxPolls && silent < kMaxSilentPolls; ++i) {
        const uint32_t code = Poll();
        const uint32_t lineResult = LineResult();
        silent = lineResult == kNoAnswer ? silent + 1 : 0;
        if (silent > 0 || !HasFigures(code)) {
            TellState(code, lineResult, nullptr, true);
        } else {
            const Figures now = Current();
            TellState(code, lineResult, &now, true);
        }
        if (silent > 0) continue;
        if (IsDeliveryStopped(code) || (delivered && !IsDelivering(code))) return true;
        delivered = delivered || IsDelivering(code);
    }
    return false;
}

Figures PointSession::Read(const std::function<void(Figures&)>& read, bool counters) {
    const LineCounts before = watch_.Counts(point_);
    Figures figures;
    read(figures);
    figures.lineResult = LineResult();
    const LineCounts after = watch_.Counts(point_);
    const bool replied =
        counters ? after.counterReplies > before.counterReplies : after.deliveryReplies > before.deliveryReplies;
    figures.known = figures.lineResult == kLineGood && (replied || after.exchanges == before.exchanges);
    for (std::size_t kind = 0; kind < kFaultKinds && !figures.known; ++kind) {
        const Fault fault = static_cast<Fault>(kind);
        if (after.Of(fault).count > before.Of(fault).count &&
            (!figures.fault || after.Of(fault).last >= after.Of(*figures.fault).last))
            figures.fault = fault;
    }
    return figures;
}

Figures PointSession::Current() {
    return Read(
        [this](Figures& figures) { figures.volume = vm_.CurrentDeliveryData(driver_, point_, 0, &figures.amount); },
        false);
}

Figures PointSession::Final() {
    return Read(
        [this](Figures& figures) { vm_.FinalDeliveryData(driver_, point_, 0, &figures.volume, &figures.amount); },
        false);
}

Figures PointSession::Totals(int32_t grade) {
    // Grades 2 to 6 may come from the answer grade 1 brought, without an exchange.
    return Read(
        [this, grade](Figures& figures) {
            vm_.GetCounter(driver_, point_, 0, grade, &figures.volume, &figures.amount, 0, 0);
        },
        true);
}

uint32_t PointSession::LineResult() { return vm_.GetLineResult(driver_, point_); }

void PointSession::TellSilence() {
    const std::optional<Fault> latest = watch_.Counts(point_).latest;
    const std::string what = !latest || *latest == Fault::kNoAnswer
                                 ? "NO ANSWER from the dispenser"
                                 : std::string("NO USABLE ANSWER from the dispenser: ") + FaultName(*latest);
    JsonObject json;
    json.Text("event", "no_answer").Number("point", point_).Number("line_result", kNoAnswer);
    if (latest) json.Text("fault", FaultName(*latest));
    out_.Emit("point " + std::to_string(point_) + ": " + what + " (line result " + std::to_string(kNoAnswer) + ")",
              json);
}

void PointSession::TellState(uint32_t code, uint32_t lineResult, const Figures* figures, bool stamped) {
    const bool answered = lineResult != kNoAnswer;
    const sbdecode::StateCode state = sbdecode::ReadStateCode(code);
    const WallTime now = std::chrono::system_clock::now();
    JsonObject json;
    json.Text("event", "state");
    if (stamped) json.Text("time", IsoText(now));
    json.Number("point", point_)
        .Text("code", Hex(code))
        .Text("meaning", answered ? state.meaning : "no answer")
        .Flag("answered", answered);
    std::string text = (stamped ? StampText(now) + " " : "") + "state " + Hex(code) +
                       (answered ? " (" + state.meaning + ")" : ": NO ANSWER (the code is the last one reported)");
    if (figures != nullptr) {
        AddFigures(json, *figures);
        text += "  " + (figures->known ? Fixed(figures->volume) + " l  " + Fixed(figures->amount)
                                       : "figures " + FiguresText(*figures));
    } else {
        json.Number("line_result", lineResult);
    }
    out_.Emit(text, json);
}

}  // namespace sbhost
