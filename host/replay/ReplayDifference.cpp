#include "host/replay/ReplayDifference.h"

#include "decode/LineFrames.h"
#include "host/decode/DecodeCommand.h"

namespace sbhost {
namespace {

using Kind = Difference::Kind;

const char* KindName(Kind kind) {
    switch (kind) {
        case Kind::kTransmission: return "transmission";
        case Kind::kDriverMore: return "the driver sends more";
        case Kind::kDriverLess: return "the driver sends less";
        case Kind::kAnswer: return "answer";
        case Kind::kFigure: return "figure";
        case Kind::kFailure: return "failure";
        case Kind::kUnreplayable: return "not replayable";
    }
    return "?";
}

std::string CallText(const Difference& difference) {
    return std::string(sbreplay::HostCallName(difference.call)) + " (slot " +
           std::to_string(sbreplay::HostCallSlot(difference.call)) + ")";
}

// The exchange as decode shows it, its lines after the first indented under the label's width.
std::string Shown(const sbdecode::ReadExchange& read) {
    std::string text = sbdecode::ExchangeText(read);
    text.pop_back();
    std::string indented;
    for (const char c : text) indented += c == '\n' ? std::string("\n") + std::string(13, ' ') : std::string(1, c);
    return indented;
}

// The driver's exchange when no line answered it (in process, once the replay left the recording): what it sent.
bool AnswerKnown(const sbdecode::ReadExchange& read) { return read.awaited || !read.exchange.answer.empty(); }

JsonObject DriverJson(const sbdecode::ReadExchange& read) {
    if (AnswerKnown(read)) return ExchangeJson(read);
    return JsonObject()
        .Text("time", sbdecode::ClockText(read.exchange.timeMs))
        .Number("point", read.exchange.point)
        .Text("sent", sbdecode::HexText(read.exchange.sent))
        .Text("sent_frame", sbdecode::FrameText(read.sent));
}

}  // namespace

std::string DifferenceText(const Difference& difference, const LineWhere& where) {
    std::string text = "differs: point " + std::to_string(difference.point) + ", " + CallText(difference) + " at " +
                       sbdecode::ClockText(difference.timeMs) + ", " + where(difference.lineNumber) +
                       (difference.opening.empty() ? "" : " \"" + difference.opening + "\"");
    switch (difference.kind) {
        case Kind::kFigure:
        case Kind::kFailure:
            return text + ": " + difference.what + " " + difference.driverValue + ", recorded " +
                   difference.recordedValue;
        case Kind::kUnreplayable: return text + ": cannot be made again: " + difference.what;
        default: break;
    }
    text += ", its exchange " + std::to_string(difference.exchange) + ":\n  recording  ";
    if (difference.recorded) {
        text += Shown(*difference.recorded);
    } else if (difference.nextLineNumber != 0) {
        text += "the call ends here; the point goes on with " + difference.next + " at " +
                sbdecode::ClockText(difference.nextTimeMs) + ", " + where(difference.nextLineNumber);
    } else {
        text += "the call ends here";
    }
    text += difference.kind == Kind::kAnswer ? "\n  line       " : "\n  driver     ";
    text += difference.driver ? Shown(*difference.driver) : "the call ends here";
    return text;
}

JsonObject DifferenceJson(const Difference& difference, const LineWhere& where) {
    JsonObject json;
    json.Text("event", "replay")
        .Text("result", "differs")
        .Text("difference", KindName(difference.kind))
        .Number("point", difference.point)
        .Text("call", sbreplay::HostCallName(difference.call))
        .Number("slot", sbreplay::HostCallSlot(difference.call))
        .Text("time", sbdecode::ClockText(difference.timeMs))
        .Number("line", static_cast<long long>(difference.lineNumber))
        .Text("where", where(difference.lineNumber))
        .Text("opening", difference.opening);
    if (!difference.what.empty()) {
        json.Text("what", difference.what)
            .Text("recorded_value", difference.recordedValue)
            .Text("driver_value", difference.driverValue);
        return json;
    }
    json.Number("exchange", static_cast<long long>(difference.exchange));
    if (difference.recorded) json.Object("recording", ExchangeJson(*difference.recorded));
    if (difference.driver) json.Object("driver", DriverJson(*difference.driver));
    if (!difference.recorded && difference.nextLineNumber != 0) {
        json.Object("recording_goes_on", JsonObject()
                                             .Text("note", difference.next)
                                             .Text("time", sbdecode::ClockText(difference.nextTimeMs))
                                             .Number("line", static_cast<long long>(difference.nextLineNumber))
                                             .Text("where", where(difference.nextLineNumber)));
    }
    return json;
}

}  // namespace sbhost
