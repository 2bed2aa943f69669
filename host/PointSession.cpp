#include "host/PointSession.h"

#include <cstdio>

#include "common/Cp1251.h"
#include "decode/StateMeaning.h"

namespace sbhost {

std::string Hex(uint32_t code) {
    char text[16];
    std::snprintf(text, sizeof text, "%02X", code);
    return text;
}

bool IsNozzleUp(uint32_t code) { return code >= 0xE0 && code <= 0xE6; }
bool IsDeliveryStopped(uint32_t code) { return code >= 0xD0 && code <= 0xD6; }
bool HasFigures(uint32_t code) { return code >= 0xD0 && code <= 0xDF; }

PointSession::PointSession(SbDriver* driver, uint32_t point, Output& out)
    : driver_(driver), vm_(*driver->vtbl), point_(point), out_(out) {}

bool PointSession::OpenLine() {
    SbDescription description;
    vm_.Describe(&description, driver_);
    const std::string text =
        sb::ToUtf8(std::string(reinterpret_cast<const char*>(description.bytes + 1), description.bytes[0]));
    out_.Emit("driver: " + text, JsonObject().Text("event", "driver").Text("description", text));
    const int32_t answer = vm_.OpenLine(driver_, point_);
    out_.Emit("open line " + std::to_string(point_) + ": port answered " + std::to_string(answer),
              JsonObject().Text("event", "open").Number("point", point_).Number("port_answer", answer));
    return answer == 0;
}

uint32_t PointSession::Poll() { return vm_.PollStatus(driver_, point_, 0); }

uint32_t PointSession::PollUntil(const std::function<bool(uint32_t)>& done) {
    uint32_t code = 0;
    int silent = 0;
    for (int i = 0; i < kMaxPolls && silent < kMaxSilentPolls; ++i) {
        code = Poll();
        silent = Silent() ? silent + 1 : 0;
        if (done(code)) break;
    }
    return code;
}

uint32_t PointSession::Watch() {
    uint32_t code = 0;
    int silent = 0;
    for (int i = 0; i < kMaxPolls && silent < kMaxSilentPolls && !IsDeliveryStopped(code); ++i) {
        code = Poll();
        silent = Silent() ? silent + 1 : 0;
        if (silent > 0) continue;
        if (!HasFigures(code)) {
            TellState(code);
            continue;
        }
        const Figures now = Current();
        TellState(code, &now);
    }
    return code;
}

Figures PointSession::Current() {
    Figures figures;
    figures.volume = vm_.CurrentDeliveryData(driver_, point_, 0, &figures.amount);
    return figures;
}

Figures PointSession::Final() {
    Figures figures;
    vm_.FinalDeliveryData(driver_, point_, 0, &figures.volume, &figures.amount);
    return figures;
}

Figures PointSession::Totals(int32_t grade) {
    Figures figures;
    vm_.GetCounter(driver_, point_, 0, grade, &figures.volume, &figures.amount, 0, 0);
    return figures;
}

uint32_t PointSession::LineResult() { return vm_.GetLineResult(driver_, point_); }

void PointSession::TellSilence() {
    out_.Emit("point " + std::to_string(point_) + ": NO ANSWER from the dispenser (line result " +
                  std::to_string(kNoAnswer) + ")",
              JsonObject().Text("event", "no_answer").Number("point", point_).Number("line_result", kNoAnswer));
}

void PointSession::TellState(uint32_t code, const Figures* figures) {
    const sbdecode::StateCode state = sbdecode::ReadStateCode(code);
    JsonObject json;
    json.Text("event", "state").Number("point", point_).Text("code", Hex(code)).Text("meaning", state.meaning);
    std::string text = "state " + Hex(code) + " (" + state.meaning + ")";
    if (figures != nullptr) {
        json.Figure("volume", figures->volume).Figure("amount", figures->amount);
        text += "  " + Fixed(figures->volume) + " l  " + Fixed(figures->amount);
    }
    out_.Emit(text, json);
}

}  // namespace sbhost
