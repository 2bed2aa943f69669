#include "host/monitor/MonitorEvents.h"

#include <cerrno>
#include <cstring>
#include <limits>

#include "decode/StateMeaning.h"
#include "host/program/DriverTexts.h"
#include "host/program/TimeText.h"

namespace sbhost {
namespace {

const char* ConditionText(Condition condition) {
    switch (condition) {
        case Condition::kStarting: return "starting";
        case Condition::kAnswering: return "answering";
        case Condition::kUnanswered: return "no answer";
        case Condition::kFailed: return "failed";
        case Condition::kDeviceMissing: return "device missing";
    }
    return "";
}

// What a change of makes a state change worth an event: not the figures' growth, nor the line's counts.
bool SameState(const PointRow& a, const PointRow& b) {
    return a.view.condition == b.view.condition && a.view.code == b.view.code && StateText(a) == StateText(b);
}

JsonObject FaultsJson(const LineCounts& counts) {
    JsonObject faults;
    for (std::size_t kind = 0; kind < kFaultKinds; ++kind) {
        const FaultTally& tally = counts.faults[kind];
        if (tally.count == 0) continue;
        faults.Object(
            FaultKey(static_cast<Fault>(kind)),
            JsonObject().Number("count", static_cast<long long>(tally.count)).Text("last", IsoText(tally.last)));
    }
    return faults;
}

JsonObject FaultJson(const PointRow& row, Fault fault, uint64_t fresh) {
    const FaultTally& tally = row.counts.Of(fault);
    JsonObject json;
    json.Text("event", "fault")
        .Text("time", IsoText(tally.last))
        .Text("line", row.view.device)
        .Number("point", row.view.point)
        .Text("kind", FaultKey(fault))
        .Text("name", FaultName(fault))
        .Number("count", static_cast<long long>(tally.count))
        .Number("new", static_cast<long long>(fresh))
        .Text("code", Hex(row.view.code));
    if (row.view.rounds > 0) json.Number("line_result", row.view.lineResult);
    if (fault == Fault::kDriverFailure && !row.view.lastFailure.empty())
        json.Text("failure", row.view.lastFailure).Text("gloss", DriverGloss(row.view.lastFailure));
    if (fault == Fault::kDeviceMissing && !row.view.openError.empty()) json.Text("device_error", row.view.openError);
    return json;
}

}  // namespace

JsonObject RowJson(const PointRow& row, int refresh) {
    const PointView& view = row.view;
    const sbdecode::StateCode state = sbdecode::ReadStateCode(view.code);
    const bool answered = view.condition == Condition::kAnswering;
    JsonObject json;
    json.Text("event", "monitor")
        .Text("time", IsoText(std::chrono::system_clock::now()))
        .Number("refresh", refresh)
        .Text("line", view.device)
        .Number("point", view.point)
        .Text("condition", ConditionText(view.condition))
        .Text("code", Hex(view.code))
        .Text("meaning", answered ? StateText(row) : ConditionText(view.condition))
        .Flag("answered", answered)
        .Number("nozzle", state.nozzle)
        .Number("grade", state.grade);
    if (view.delivery) {
        const double unknown = std::numeric_limits<double>::quiet_NaN();  // written as null
        json.Figure("volume", view.figures.known ? view.figures.volume : unknown)
            .Figure("amount", view.figures.known ? view.figures.amount : unknown)
            .Text("figures", !view.figures.known ? "unknown"
                             : view.stale        ? "stale"
                                                 : "read")
            .Number("figures_line_result", view.figures.lineResult);
    }
    if (view.rounds > 0) json.Number("line_result", view.lineResult);
    if (row.counts.latest) json.Text("latest_fault", FaultKey(*row.counts.latest));
    if (row.counts.answered)
        json.Figure("answer_age_s",
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - row.counts.lastAnswer).count(), 1);
    json.Number("exchanges", static_cast<long long>(row.counts.exchanges))
        .Number("retries", static_cast<long long>(row.counts.retries))
        .Number("naks", static_cast<long long>(row.counts.Of(Fault::kNak).count))
        .Number("silent_polls", static_cast<long long>(row.counts.silentPolls))
        .Flag("switched_off", row.counts.switchedOff)
        .Object("faults", FaultsJson(row.counts));
    if (view.condition == Condition::kFailed)
        json.Text("failure", view.failure).Text("gloss", DriverGloss(view.failure));
    if (!view.openError.empty()) json.Text("device_error", view.openError);
    return json;
}

bool MonitorEvents::Open(const std::string& path, std::string* error) {
    file_.open(path, std::ios::out | std::ios::trunc);
    if (!file_) *error = "cannot write the events to " + path + ": " + std::strerror(errno);
    return static_cast<bool>(file_);
}

void MonitorEvents::Write(const JsonObject& json) {
    if (file_.is_open()) file_ << json.Line() << "\n" << std::flush;
}

void MonitorEvents::Refresh(const std::vector<PointRow>& rows, int refresh) {
    for (const PointRow& row : rows) {
        const JsonObject json = RowJson(row, refresh);
        if (out_.json()) out_.Emit("", json);
        const auto before = before_.find(row.view.point);
        if (before == before_.end() || !SameState(before->second, row)) Write(json);
        for (std::size_t kind = 0; kind < kFaultKinds; ++kind) {
            const uint64_t was = before == before_.end() ? 0 : before->second.counts.faults[kind].count;
            const uint64_t now = row.counts.faults[kind].count;
            if (now <= was) continue;
            const JsonObject fault = FaultJson(row, static_cast<Fault>(kind), now - was);
            if (out_.json()) out_.Emit("", fault);
            Write(fault);
        }
        before_[row.view.point] = row;
    }
}

void MonitorEvents::Told(const JsonObject& told) {
    if (told.Empty()) return;
    const JsonObject json = JsonObject(told).Text("time", IsoText(std::chrono::system_clock::now()));
    if (out_.json()) out_.Emit("", json);
    Write(json);
}

}  // namespace sbhost
