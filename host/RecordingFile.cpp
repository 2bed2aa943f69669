#include "host/RecordingFile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "decode/ExchangePairing.h"

namespace sbhost {

namespace {

std::string Times(std::size_t count) { return count == 1 ? "once" : std::to_string(count) + " times"; }

// Notes the record's time against the one before: a step back beyond the threads' disorder is counted.
void FollowClock(const sbdecode::TraceRecord& record, int64_t* lastMs, RecordingSummary* summary) {
    if (record.timeMs < 0) return;
    if (*lastMs >= 0 && record.timeMs + kOutOfOrderMs <= *lastMs && summary->backwardSteps++ == 0) {
        summary->firstBackwardLine = record.lineNumber;
        summary->firstBackwardFromMs = *lastMs;
        summary->firstBackwardToMs = record.timeMs;
    }
    *lastMs = record.timeMs;
}

}  // namespace

std::vector<std::string> Cautions(const RecordingSummary& summary) {
    std::vector<std::string> cautions;
    if (summary.unreadableLines > 0) {
        cautions.push_back(std::to_string(summary.unreadableLines) +
                           (summary.unreadableLines == 1 ? " line" : " lines") +
                           " not understood, skipped (the first is line " +
                           std::to_string(summary.firstUnreadableLine) + ")");
    }
    if (summary.backwardSteps > 0) {
        cautions.push_back("the time runs backwards " + Times(summary.backwardSteps) + ", first at line " +
                           std::to_string(summary.firstBackwardLine) + " (from " +
                           sbdecode::ClockText(summary.firstBackwardFromMs) + " to " +
                           sbdecode::ClockText(summary.firstBackwardToMs) +
                           "): logs joined, or the clock set back; the times of those stretches overlap");
    }
    return cautions;
}

bool ReadRecording(std::istream& in, const std::string& name, const RecordingVisitor& visitor,
                   RecordingSummary* summary, std::string* error) {
    sbdecode::TraceReader reader(in);
    sbdecode::ExchangePairing pairing;
    sbdecode::Conversation conversation;
    sbdecode::TraceRecord record;
    bool readable = false;
    std::vector<sbdecode::TraceRecord> held;  // unreadable lines before the first readable one
    int64_t lastMs = -1;
    while (reader.Next(&record)) {
        FollowClock(record, &lastMs, summary);
        if (record.kind == sbdecode::TraceRecord::Kind::kUnreadable) {
            if (summary->unreadableLines++ == 0) summary->firstUnreadableLine = record.lineNumber;
            if (readable) visitor.unreadable(record);
            else held.push_back(record);
            if (held.size() >= static_cast<std::size_t>(kUnreadableBeforeGivingUp)) break;
            continue;
        }
        if (!readable) {
            for (const sbdecode::TraceRecord& line : held) visitor.unreadable(line);
            readable = true;
        }
        for (const sbdecode::Exchange& exchange : pairing.Take(record)) visitor.exchange(conversation.Read(exchange));
        if (record.kind == sbdecode::TraceRecord::Kind::kNote || record.kind == sbdecode::TraceRecord::Kind::kFailure)
            visitor.note(record);
    }
    for (const sbdecode::Exchange& exchange : pairing.Finish()) visitor.exchange(conversation.Read(exchange));
    if (!readable) {
        *error = name + " holds neither the driver's trace log nor a hex capture" +
                 (held.empty() ? "" : " (line " + std::to_string(held.front().lineNumber) + ": \"" +
                                  held.front().text.substr(0, 60) + "\")");
        return false;
    }
    return true;
}

bool ReadRecordingFile(const std::string& path, const RecordingVisitor& visitor, RecordingSummary* summary,
                       std::string* error) {
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) {
        *error = path + " is a directory, not a recording";
        return false;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        *error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    bool recording = false;
    try {
        recording = ReadRecording(file, path, visitor, summary, error);
    } catch (const std::ios_base::failure& failure) {  // the stream buffer throws on a read error
        *error = "reading " + path + " failed: " + failure.what();
        return false;
    }
    if (file.bad()) {
        *error = "reading " + path + " failed";
        return false;
    }
    return recording;
}

}  // namespace sbhost
