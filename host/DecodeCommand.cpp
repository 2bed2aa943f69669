#include "host/DecodeCommand.h"

#include <iostream>

#include "decode/Conversation.h"
#include "host/Arguments.h"
#include "host/RecordingFile.h"

namespace sbhost {
namespace {

constexpr int64_t kDayMs = 24LL * 3600 * 1000;
// --to counts its hours on past midnight: 24:10 is ten past midnight of the next day.
constexpr int kMaxToHours = 47;

struct DecodeFilter {
    uint32_t point = 0;   // 0: every point
    bool timed = false;   // --from or --to given
    int64_t fromMs = 0;   // times of day, both ends taken in; toMs beyond a day reaches past midnight
    int64_t toMs = kDayMs - 1;

    bool Passes(unsigned onPoint, int64_t timeMs) const {
        if (point != 0 && onPoint != point) return false;
        if (!timed) return true;
        if (timeMs < 0) return false;
        const int64_t clock = timeMs % kDayMs;
        return toMs < kDayMs ? (clock >= fromMs && clock <= toMs) : (clock >= fromMs || clock <= toMs - kDayMs);
    }
};

JsonObject MessageJson(const sbdecode::Message& message) {
    JsonObject fields;
    for (const sbdecode::Field& field : message.fields) fields.Text(field.name, field.value);
    return JsonObject().Text("name", message.name).Object("fields", fields);
}

bool Refuse(std::string* error, const std::string& why) {
    *error = why;
    return false;
}

// False and what is wrong in *error when the words are not decode's.
bool ParseDecode(const std::vector<std::string>& words, std::string* path, DecodeFilter* filter, std::string* error) {
    std::string from, to;  // as given, for the error
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word.rfind("--", 0) != 0) {
            if (!path->empty()) return Refuse(error, "one FILE only, not also " + word);
            *path = word;
            continue;
        }
        const std::string value = ++i < words.size() ? words[i] : "";
        const std::string given = ", not \"" + value + "\"";
        ClockTime time;
        if (word == "--point") {
            if (!ReadPoint(value, &filter->point)) return Refuse(error, "--point wants 1..32" + given);
        } else if (word == "--from") {
            if (!ReadClock(value, 23, &time)) return Refuse(error, "--from wants hh:mm[:ss[.zzz]]" + given);
            filter->fromMs = time.ms;
            from = value;
        } else if (word == "--to") {
            if (!ReadClock(value, kMaxToHours, &time))
                return Refuse(error, "--to wants hh:mm[:ss[.zzz]], hours to 47" + given);
            filter->toMs = time.ms + time.spanMs - 1;  // the whole minute, second or fraction it names
            to = value;
        } else {
            return Refuse(error, "unknown option " + word);
        }
    }
    if (path->empty()) return Refuse(error, "which FILE?");
    filter->timed = !from.empty() || !to.empty();
    if (filter->fromMs > filter->toMs) {
        return Refuse(error, "--from " + from + " is after --to " + to +
                                 ": nothing lies between (past midnight, count the hours on: 00:10 the next day is "
                                 "24:10)");
    }
    return true;
}

}  // namespace

JsonObject ExchangeJson(const sbdecode::ReadExchange& read) {
    JsonObject json;
    if (read.exchange.timeMs >= 0) json.Text("time", sbdecode::ClockText(read.exchange.timeMs));
    json.Number("point", read.exchange.point)
        .Text("sent", sbdecode::HexText(read.exchange.sent))
        .Text("sent_frame", sbdecode::FrameText(read.sent))
        .Text("answer", sbdecode::HexText(read.exchange.answer))
        .Text("answer_frame", read.cutShort ? "not recorded"
                              : read.silent ? "no answer"
                                            : sbdecode::FrameText(read.answer, read.sent.kind));
    if (!read.cutShort) json.Number("line_result", read.lineResult);
    json.Flag("cut_short", read.cutShort)
        .Flag("retry", read.retry)
        .Flag("nak", read.nak)
        .Flag("silent", read.silent)
        .Number("quiet_ms", read.quietMs);
    if (read.request) json.Object("request", MessageJson(*read.request));
    if (read.reply) json.Object("reply", MessageJson(*read.reply));
    return json;
}

const char kDecodeUsage[] = "sbhost [--json] decode FILE [--point N] [--from hh:mm[:ss[.zzz]]] [--to hh:mm[:ss[.zzz]]]";

int RunDecode(const std::vector<std::string>& words, Output& out) {
    std::string path;
    DecodeFilter filter;
    std::string error;
    if (!ParseDecode(words, &path, &filter, &error)) {
        std::cerr << "sbhost: decode: " << error << "\n";
        return 2;
    }
    RecordingVisitor visitor;
    visitor.exchange = [&](const sbdecode::ReadExchange& read) {
        if (!filter.Passes(read.exchange.point, read.exchange.timeMs)) return;
        std::string text = sbdecode::ExchangeText(read);
        text.pop_back();  // Emit ends the line
        out.Emit(text, ExchangeJson(read));
    };
    visitor.note = [&](const sbdecode::TraceRecord& record) {
        if (!filter.Passes(record.point, record.timeMs)) return;
        if (record.kind == sbdecode::TraceRecord::Kind::kFailure) {
            out.Emit(sbdecode::FailureText(record.timeMs, record.point, record.slot, record.text),
                     JsonObject()
                         .Text("time", sbdecode::ClockText(record.timeMs))
                         .Number("point", record.point)
                         .Number("slot", record.slot)
                         .Text("failure", record.text));
            return;
        }
        JsonObject json;
        json.Text("time", sbdecode::ClockText(record.timeMs)).Number("point", record.point).Text("note", record.text);
        out.Emit(sbdecode::ClockText(record.timeMs) + "        # " + record.text, json);
    };
    visitor.unreadable = [&](const sbdecode::TraceRecord& record) {
        const std::string line = std::to_string(record.lineNumber);
        out.Emit("?? line " + line + " not understood: " + record.text,
                 JsonObject().Number("line", static_cast<long long>(record.lineNumber)).Text("unreadable", record.text));
    };
    RecordingSummary summary;
    if (!ReadRecordingFile(path, visitor, &summary, &error)) {
        std::cerr << "sbhost: " << error << "\n";
        return 1;
    }
    for (const std::string& caution : Cautions(summary)) std::cerr << "sbhost: " << path << ": " << caution << "\n";
    return 0;
}

}  // namespace sbhost
