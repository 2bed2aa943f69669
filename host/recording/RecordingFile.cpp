#include "host/recording/RecordingFile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

#include "decode/ExchangePairing.h"
#include "logging/Logger.h"

namespace sbhost {

namespace {

const char kNoRecording[] = " holds neither the driver's trace log nor a hex capture";

std::string Times(std::size_t count) { return count == 1 ? "once" : std::to_string(count) + " times"; }

// "line 5", and the file's name when the recording is in more than one.
std::string LineOf(const RecordingSummary& summary, std::size_t line, const std::string& file) {
    return "line " + std::to_string(line) + (summary.files > 1 ? " of " + file : "");
}

// Reads the files of one recording one after the other: a send at the end of one file finds its answer at
// the start of the next, and the clock's days count on.
class RecordingReader {
public:
    RecordingReader(const RecordingVisitor& visitor, RecordingSummary* summary)
        : visitor_(visitor), summary_(*summary) {}

    // Reads the input through. A file that begins with kUnreadableBeforeGivingUp lines of neither form, or
    // holds nothing else, is passed over.
    void Read(std::istream& in, const std::string& name) {
        ++summary_.files;
        if (reader_) reader_->ContinueWith(in);
        else reader_.emplace(in);
        sbdecode::TraceRecord record;
        std::vector<sbdecode::TraceRecord> heldHere;  // unreadable lines before the file's first readable one
        bool readableHere = false;
        while (reader_->Next(&record)) {
            FollowClock(record, name);
            if (record.kind == sbdecode::TraceRecord::Kind::kUnreadable) {
                if (summary_.unreadableLines++ == 0) {
                    summary_.firstUnreadableLine = record.lineNumber;
                    summary_.firstUnreadableFile = name;
                }
                if (readableHere) visitor_.unreadable(record);
                else heldHere.push_back(record);
                if (heldHere.size() >= static_cast<std::size_t>(kUnreadableBeforeGivingUp)) break;
                continue;
            }
            if (!readableHere) {
                for (const sbdecode::TraceRecord& line : heldHere) visitor_.unreadable(line);
                readableHere = readable_ = true;
            }
            for (const sbdecode::Exchange& exchange : pairing_.Take(record))
                visitor_.exchange(conversation_.Read(exchange));
            if (record.kind == sbdecode::TraceRecord::Kind::kNote ||
                record.kind == sbdecode::TraceRecord::Kind::kFailure)
                visitor_.note(record);
        }
        if (!readableHere && !heldHere.empty()) PassOver(name, heldHere);
        TakeReadersCounts(name);
    }

    // Tells the sends left open; false and why in *error when nothing of a recording came.
    bool Finish(const std::string& name, std::string* error) {
        for (const sbdecode::Exchange& exchange : pairing_.Finish()) visitor_.exchange(conversation_.Read(exchange));
        if (readable_) return true;
        *error = summary_.passedOverFiles.empty() ? name + kNoRecording : summary_.passedOverFiles.front();
        summary_.passedOverFiles.clear();
        return false;
    }

private:
    // Notes the record's time against the one before: a step back beyond the threads' disorder is counted.
    void FollowClock(const sbdecode::TraceRecord& record, const std::string& name) {
        if (record.timeMs < 0) return;
        const int64_t before = summary_.lastMs;
        if (before >= 0 && record.timeMs + kOutOfOrderMs <= before && summary_.backwardSteps++ == 0) {
            summary_.firstBackwardLine = record.lineNumber;
            summary_.firstBackwardFile = name;
            summary_.firstBackwardFromMs = before;
            summary_.firstBackwardToMs = record.timeMs;
        }
        summary_.lastMs = record.timeMs;
    }

    // A file of no recording: its lines are no unreadable lines of the recording but the file's fault.
    void PassOver(const std::string& name, const std::vector<sbdecode::TraceRecord>& held) {
        summary_.unreadableLines -= held.size();
        if (summary_.unreadableLines == 0) summary_.firstUnreadableLine = 0;
        summary_.passedOverFiles.push_back(name + kNoRecording + " (line " + std::to_string(held.front().lineNumber) +
                                           ": \"" + held.front().text.substr(0, 60) + "\")");
    }

    // The reader's counts of line ends and encodings read otherwise, and the file where each first came.
    void TakeReadersCounts(const std::string& name) {
        if (summary_.doubledLineEnds == 0 && reader_->doubledLineEnds() > 0) {
            summary_.firstDoubledLineEnd = reader_->firstDoubledLineEnd();
            summary_.firstDoubledLineEndFile = name;
        }
        if (summary_.utf8Lines == 0 && reader_->utf8Lines() > 0) {
            summary_.firstUtf8Line = reader_->firstUtf8Line();
            summary_.firstUtf8File = name;
        }
        summary_.doubledLineEnds = reader_->doubledLineEnds();
        summary_.utf8Lines = reader_->utf8Lines();
    }

    const RecordingVisitor& visitor_;
    RecordingSummary& summary_;
    std::optional<sbdecode::TraceReader> reader_;  // made on the first input
    sbdecode::ExchangePairing pairing_;
    sbdecode::Conversation conversation_;
    bool readable_ = false;  // a readable line came in some file
};

bool Refuse(std::string* error, const std::string& why) {
    *error = why;
    return false;
}

}  // namespace

std::vector<std::string> Cautions(const RecordingSummary& summary) {
    std::vector<std::string> cautions;
    for (const std::string& file : summary.passedOverFiles) cautions.push_back(file + ": passed over");
    if (summary.doubledLineEnds > 0) {
        cautions.push_back(std::to_string(summary.doubledLineEnds) + " line(s) end in CR CR LF (the first is " +
                           LineOf(summary, summary.firstDoubledLineEnd, summary.firstDoubledLineEndFile) +
                           "): the file was converted, read as the driver wrote it");
    }
    if (summary.utf8Lines > 0) {
        cautions.push_back(std::to_string(summary.utf8Lines) +
                           " line(s) in UTF-8, not the driver's Windows-1251 (the first is " +
                           LineOf(summary, summary.firstUtf8Line, summary.firstUtf8File) +
                           "): the file was converted, read as the driver wrote it");
    }
    if (summary.unreadableLines > 0) {
        const std::string lines = summary.unreadableLines == 1 ? " line" : " lines";
        cautions.push_back(std::to_string(summary.unreadableLines) + lines + " not understood, skipped (the first is " +
                           LineOf(summary, summary.firstUnreadableLine, summary.firstUnreadableFile) + ")");
    }
    if (summary.backwardSteps > 0) {
        cautions.push_back("the time runs backwards " + Times(summary.backwardSteps) + ", first at " +
                           LineOf(summary, summary.firstBackwardLine, summary.firstBackwardFile) + " (from " +
                           sbdecode::ClockText(summary.firstBackwardFromMs) + " to " +
                           sbdecode::ClockText(summary.firstBackwardToMs) +
                           "): logs joined, or the clock set back; the times of those stretches overlap");
    }
    return cautions;
}

bool ReadRecording(std::istream& in, const std::string& name, const RecordingVisitor& visitor,
                   RecordingSummary* summary, std::string* error) {
    RecordingReader reader(visitor, summary);
    reader.Read(in, name);
    return reader.Finish(name, error);
}

bool ReadRecordingFiles(const std::vector<std::string>& paths, const RecordingVisitor& visitor,
                        RecordingSummary* summary, std::string* error) {
    RecordingReader reader(visitor, summary);
    for (const std::string& path : paths) {
        std::error_code ignored;
        if (std::filesystem::is_directory(path, ignored))
            return Refuse(error, path + " is a directory, not a recording");
        std::ifstream file(path, std::ios::binary);
        if (!file) return Refuse(error, "cannot open " + path + ": " + std::strerror(errno));
        try {
            reader.Read(file, path);
        } catch (const std::ios_base::failure& failure) {  // the stream buffer throws on a read error
            return Refuse(error, "reading " + path + " failed: " + failure.what());
        }
        if (file.bad()) return Refuse(error, "reading " + path + " failed");
    }
    return reader.Finish(paths.empty() ? "" : paths.back(), error);
}

}  // namespace sbhost
