#include "host/DecodeCommand.h"

#include <iostream>

#include "decode/Conversation.h"
#include "host/Arguments.h"
#include "host/RecordingFile.h"

namespace sbhost {
namespace {

constexpr int64_t kDayMs = 24LL * 3600 * 1000;

struct DecodeFilter {
    uint32_t point = 0;  // 0: every point
    int64_t fromMs = -1;  // times of day; -1: open
    int64_t toMs = -1;

    bool Passes(unsigned onPoint, int64_t timeMs) const {
        if (point != 0 && onPoint != point) return false;
        if (fromMs < 0 && toMs < 0) return true;
        if (timeMs < 0) return false;
        const int64_t clock = timeMs % kDayMs;
        const int64_t to = toMs < 0 ? kDayMs : toMs;
        const int64_t from = fromMs < 0 ? 0 : fromMs;
        return from <= to ? (clock >= from && clock <= to) : (clock >= from || clock <= to);  // past midnight
    }
};

JsonObject MessageJson(const sbdecode::Message& message) {
    JsonObject fields;
    for (const sbdecode::Field& field : message.fields) fields.Text(field.name, field.value);
    return JsonObject().Text("name", message.name).Object("fields", fields);
}

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

bool ParseDecode(const std::vector<std::string>& words, std::string* path, DecodeFilter* filter) {
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        const bool valued = i + 1 < words.size();
        if (word == "--point" && valued && ReadPoint(words[i + 1], &filter->point)) {
            ++i;
        } else if (word == "--from" && valued && ReadClock(words[i + 1], &filter->fromMs)) {
            ++i;
        } else if (word == "--to" && valued && ReadClock(words[i + 1], &filter->toMs)) {
            ++i;
        } else if (path->empty() && word.rfind("--", 0) != 0) {
            *path = word;
        } else {
            return false;
        }
    }
    return !path->empty();
}

}  // namespace

const char kDecodeUsage[] = "sbhost [--json] decode FILE [--point N] [--from hh:mm[:ss[.zzz]]] [--to hh:mm[:ss[.zzz]]]";

int RunDecode(const std::vector<std::string>& words, Output& out) {
    std::string path;
    DecodeFilter filter;
    if (!ParseDecode(words, &path, &filter)) return 2;
    RecordingVisitor visitor;
    visitor.exchange = [&](const sbdecode::ReadExchange& read) {
        if (!filter.Passes(read.exchange.point, read.exchange.timeMs)) return;
        std::string text = sbdecode::ExchangeText(read);
        text.pop_back();  // Emit ends the line
        out.Emit(text, ExchangeJson(read));
    };
    visitor.note = [&](const sbdecode::TraceRecord& record) {
        if (!filter.Passes(record.point, record.timeMs)) return;
        JsonObject json;
        json.Text("time", sbdecode::ClockText(record.timeMs)).Number("point", record.point).Text("note", record.text);
        out.Emit(sbdecode::ClockText(record.timeMs) + "        # " + record.text, json);
    };
    visitor.unreadable = [&](const sbdecode::TraceRecord& record) {
        const std::string line = std::to_string(record.lineNumber);
        out.Emit("?? line " + line + " not understood: " + record.text,
                 JsonObject().Number("line", static_cast<long long>(record.lineNumber)).Text("unreadable", record.text));
    };
    std::string error;
    RecordingSummary summary;
    if (!ReadRecordingFile(path, visitor, &summary, &error)) {
        std::cerr << "sbhost: " << error << "\n";
        return 1;
    }
    if (summary.unreadableLines > 0) std::cerr << "sbhost: " << path << ": " << SkippedText(summary) << "\n";
    return 0;
}

}  // namespace sbhost
