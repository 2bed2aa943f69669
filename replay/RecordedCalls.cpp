#include "replay/RecordedCalls.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>

#include "decode/LineFrames.h"
#include "operations/MessageBuilder.h"
#include "operations/TraceNames.h"

namespace sbreplay {
namespace {

using Kind = sbdecode::TraceRecord::Kind;

// The driver's line "NAME(n)..." of the point, its name given with "(": true and what follows ")" in *rest.
bool Names(const std::string& text, std::string_view name, unsigned point, std::string* rest) {
    const std::string head = std::string(name) + std::to_string(point) + ")";
    if (text.compare(0, head.size(), head) != 0) return false;
    *rest = text.substr(head.size());
    return true;
}

// The name a command is traced under, in UTF-8 as the reader gives the driver's lines.
const std::string& Traced(sb::Command command) { return sb::TraceName(command).utf8; }

bool Starts(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

// ": D2", a state code in two hex digits.
std::optional<uint32_t> StateCodeOf(const std::string& rest) {
    if (rest.size() != 4 || !Starts(rest, ": ")) return std::nullopt;
    char* end = nullptr;
    const unsigned long code = std::strtoul(rest.c_str() + 2, &end, 16);
    if (*end != '\0') return std::nullopt;
    return static_cast<uint32_t>(code);
}

}  // namespace

const char* HostCallName(HostCall call) {
    switch (call) {
        case HostCall::kStatus: return "status";
        case HostCall::kStart: return "start";
        case HostCall::kCurrentData: return "data";
        case HostCall::kFinalData: return "final";
        case HostCall::kCounter: return "counter";
        case HostCall::kControl: return "control";
    }
    return "?";
}

int HostCallSlot(HostCall call) {
    switch (call) {
        case HostCall::kStatus: return 10;
        case HostCall::kStart: return 19;
        case HostCall::kCurrentData: return 9;
        case HostCall::kFinalData: return 6;
        case HostCall::kCounter: return 7;
        case HostCall::kControl: return 4;
    }
    return 0;
}

bool MadeBySlot(HostCall call, int slot) {
    switch (call) {
        case HostCall::kStatus: return slot == 10 || slot == 21;
        case HostCall::kStart: return slot == 19 || slot == 15;
        case HostCall::kControl: return slot == 4 || slot == 22 || slot == 23;
        default: return slot == HostCallSlot(call);
    }
}

void CallSplitter::Take(const sbdecode::TraceRecord& record) {
    if (record.kind == Kind::kUnreadable) return;
    if (record.startsRun) {
        for (const sbdecode::Exchange& exchange : pairing_.Finish()) TakeExchange(exchange);
        CloseAll();
        if (visitor_.hostStart) visitor_.hostStart(record.lineNumber);
    }
    for (const sbdecode::Exchange& exchange : pairing_.Take(record)) TakeExchange(exchange);
    if (record.kind == Kind::kNote || record.kind == Kind::kFailure) TakeNote(record);
}

void CallSplitter::Finish() {
    for (const sbdecode::Exchange& exchange : pairing_.Finish()) TakeExchange(exchange);
    CloseAll();
}

void CallSplitter::CloseAll() {
    std::vector<OpenCall*> open;
    for (auto& entry : points_) {
        if (entry.second.call) open.push_back(&entry.second);
    }
    std::sort(open.begin(), open.end(),
              [](const OpenCall* a, const OpenCall* b) { return a->call->lineNumber < b->call->lineNumber; });
    for (OpenCall* call : open) {
        call->call->recordingEnds = !call->ended;
        Emit(*call);
    }
    points_.clear();
}

void CallSplitter::Emit(OpenCall& open) {
    RecordedCall call = std::move(*open.call);
    call.ended = open.ended;
    open.call.reset();
    visitor_.call(std::move(call));
}

void CallSplitter::Begin(OpenCall& open, HostCall call, unsigned point, std::size_t lineNumber, int64_t timeMs,
                         const std::string& opening) {
    if (open.call) {
        open.call->next = opening.empty() ? "a read of the link unit" : opening;
        open.call->nextLineNumber = lineNumber;
        open.call->nextTimeMs = timeMs;
        Emit(open);
    }
    open = OpenCall{};
    open.call = RecordedCall{};
    open.call->point = point;
    open.call->call = call;
    open.call->lineNumber = lineNumber;
    open.call->timeMs = timeMs;
    open.call->opening = opening;
}

void CallSplitter::TakeExchange(const sbdecode::Exchange& exchange) {
    OpenCall& open = points_[exchange.point];
    // Slot 9 on a line with a link unit sends its request alone, without a line of its own.
    if (sbdecode::ReadSent(exchange.sent).kind == sbdecode::FrameKind::kLinkUnitRequest) {
        Begin(open, HostCall::kCurrentData, exchange.point, exchange.lineNumber, exchange.timeMs, "");
        open.ended = true;
    }
    if (!open.call) {
        ++stray_;
        return;
    }
    RecordedCall& call = *open.call;
    if (call.exchanges.size() < kMaxCallExchanges) call.exchanges.push_back(exchange);
    else ++call.overflow;
}

void CallSplitter::TakeNote(const sbdecode::TraceRecord& record) {
    const unsigned point = record.point;
    if (point == 0) return;  // a line of no point, or the failure of a slot without one
    OpenCall& open = points_[point];
    if (record.kind == Kind::kFailure) {
        if (open.call && !open.ended && MadeBySlot(open.call->call, record.slot)) {
            open.call->failedSlot = record.slot;
            open.call->failure = record.text;
        } else if (unplacedFailures_++ == 0) {
            firstUnplacedFailure_ = record.lineNumber;
        }
        return;
    }
    const std::string& text = record.text;
    const bool inside = open.call && !open.ended;
    const HostCall current = open.call ? open.call->call : HostCall::kStatus;
    const auto begin = [&](HostCall call) { Begin(open, call, point, record.lineNumber, record.timeMs, text); };
    std::string rest;
    if (Names(text, Traced(sb::Command::StatusRequest), point, &rest) && rest.empty()) {
        // A pending MASTER RESET opens the status poll before its own line.
        if (!(inside && current == HostCall::kStatus && !open.asked)) begin(HostCall::kStatus);
        open.asked = true;
    } else if (Names(text, Traced(sb::Command::MasterReset), point, &rest) && rest.empty()) {
        if (!(inside && (current == HostCall::kStatus || open.confirmed))) begin(HostCall::kStatus);
    } else if (Names(text, Traced(sb::Command::Start), point, &rest) && rest.empty()) {
        begin(HostCall::kStart);
    } else if (Names(text, sb::trace::kEndPrefix + Traced(sb::Command::Start), point, &rest) && rest.empty()) {
        if (inside && current == HostCall::kStart) open.ended = true;
    } else if (Names(text, sb::trace::kFinalData, point, &rest) && rest.empty()) {
        begin(HostCall::kFinalData);
        open.nestedRead = true;
    } else if ((Names(text, Traced(sb::Command::GetDataTransaction), point, &rest) ||
                Names(text, sb::trace::kDataWithoutRequest, point, &rest)) &&
               rest.empty()) {
        // A status poll reads the figures of a finished delivery; slot 6 and slot 9's repeats read inside theirs.
        if (inside && (current == HostCall::kStatus || open.nestedRead)) open.nestedRead = false;
        else begin(HostCall::kCurrentData);
    } else if (Names(text, sb::trace::kPreviousSaleLocked, point, &rest) && Starts(rest, sb::trace::kRepeatCount)) {
        if (inside && current == HostCall::kCurrentData) open.nestedRead = true;
    } else if (Names(text, Traced(sb::Command::GetCounter), point, &rest) && rest.empty()) {
        begin(HostCall::kCounter);
    } else if ((Names(text, sb::trace::kCounterRead, point, &rest) ||
                Names(text, sb::trace::kCounterFromMemory, point, &rest)) &&
               Starts(rest, ": ")) {
        if (inside && current == HostCall::kCounter) {
            open.call->counterVolume = rest.substr(2);
            open.call->counterFromMemory = Starts(text, sb::trace::kCounterFromMemory);
            open.ended = true;
        }
    } else if (Names(text, Traced(sb::Command::FillingPointControl), point, &rest) && rest.empty()) {
        begin(HostCall::kControl);
    } else if (Names(text, Traced(sb::Command::ResetConfirmation), point, &rest)) {
        if (inside) open.confirmed = true;
    } else if (Names(text, sb::trace::kStatusExit, point, &rest)) {
        if (inside && current == HostCall::kStatus) {
            open.call->stateCode = StateCodeOf(rest);
            open.ended = true;
        }
    }
}

}  // namespace sbreplay
