#include "host/decode/DecodeCommand.h"

#include <iostream>

#include "decode/Conversation.h"
#include "host/recording/RecordingFile.h"
#include "host/recording/RecordingScope.h"

namespace sbhost {
namespace {

JsonObject MessageJson(const sbdecode::Message& message) {
    JsonObject fields;
    for (const sbdecode::Field& field : message.fields) fields.Text(field.name, field.value);
    return JsonObject().Text("name", message.name).Object("fields", fields);
}

// False and what is wrong in *error when the words are not decode's.
bool ParseDecode(const std::vector<std::string>& words, std::string* path, RecordingScope* scope, std::string* error) {
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (TakeScopeOption(words, &i, scope, error)) continue;
        if (!error->empty()) return false;
        if (words[i].rfind("--", 0) == 0) {
            *error = "unknown option " + words[i];
            return false;
        }
        if (!path->empty()) {
            *error = "one FILE only, not also " + words[i];
            return false;
        }
        *path = words[i];
    }
    if (path->empty()) *error = "which FILE?";
    return !path->empty();
}

}  // namespace

JsonObject ExchangeJson(const sbdecode::ReadExchange& read, JsonObject json) {
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

const std::string kDecodeUsage = std::string("sbhost [--json] decode FILE ") + kScopeUsage;

int RunDecode(const std::vector<std::string>& words, Output& out) {
    std::string path;
    RecordingScope scope;
    std::string error;
    if (!ParseDecode(words, &path, &scope, &error)) {
        std::cerr << "sbhost: decode: " << error << "\n";
        return 2;
    }
    RecordingVisitor visitor;
    visitor.exchange = [&](const sbdecode::ReadExchange& read) {
        if (!scope.Passes(read.exchange.point, read.exchange.timeMs)) return;
        std::string text = sbdecode::ExchangeText(read);
        text.pop_back();  // Emit ends the line
        out.Emit(text, ExchangeJson(read, JsonObject().Text("event", "exchange")));
    };
    visitor.note = [&](const sbdecode::TraceRecord& record) {
        if (!scope.Passes(record.point, record.timeMs)) return;
        if (record.kind == sbdecode::TraceRecord::Kind::kFailure) {
            out.Emit(sbdecode::FailureText(record.timeMs, record.point, record.slot, record.text),
                     JsonObject()
                         .Text("event", "failure")
                         .Text("time", sbdecode::ClockText(record.timeMs))
                         .Number("point", record.point)
                         .Number("slot", record.slot)
                         .Text("failure", record.text));
            return;
        }
        JsonObject json;
        json.Text("event", "note")
            .Text("time", sbdecode::ClockText(record.timeMs))
            .Number("point", record.point)
            .Text("note", record.text);
        out.Emit(sbdecode::ClockText(record.timeMs) + "        # " + record.text, json);
    };
    visitor.unreadable = [&](const sbdecode::TraceRecord& record) {
        const std::string line = std::to_string(record.lineNumber);
        out.Emit("?? line " + line + " not understood: " + record.text,
                 JsonObject()
                     .Text("event", "unreadable")
                     .Number("line", static_cast<long long>(record.lineNumber))
                     .Text("unreadable", record.text));
    };
    RecordingSummary summary;
    if (!ReadRecordingFiles({path}, visitor, &summary, &error)) {
        std::cerr << "sbhost: " << error << "\n";
        return 1;
    }
    for (const std::string& caution : Cautions(summary)) std::cerr << "sbhost: " << path << ": " << caution << "\n";
    return 0;
}

}  // namespace sbhost
