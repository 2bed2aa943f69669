// Opens a recording for decode and report, and reads it through to the end in order: the exchanges read and
// the driver's own lines, with a clear error for a file that cannot be read or holds no recording.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <istream>
#include <string>
#include <vector>

#include "decode/Conversation.h"
#include "decode/TraceReader.h"

namespace sbhost {

// Unreadable lines tolerated before anything readable came: a file that starts with more is no recording.
constexpr int kUnreadableBeforeGivingUp = 20;

struct RecordingVisitor {
    std::function<void(const sbdecode::ReadExchange&)> exchange;
    std::function<void(const sbdecode::TraceRecord&)> note;        // the driver's own lines, failures among them
    std::function<void(const sbdecode::TraceRecord&)> unreadable;  // lines that are neither form
};

// The clock going back less than this is lines of two threads reaching the log out of order; more is logs
// joined or the clock set back (more than an hour is taken for midnight).
constexpr int64_t kOutOfOrderMs = 1000;

// What the reading passed over or found amiss, for the reader to tell after what it showed.
struct RecordingSummary {
    std::size_t files = 0;  // files read
    std::size_t unreadableLines = 0;
    std::size_t firstUnreadableLine = 0;  // its number; 0 when every line was understood
    std::string firstUnreadableFile;
    std::size_t backwardSteps = 0;  // times the clock went back by kOutOfOrderMs or more
    std::size_t firstBackwardLine = 0;
    std::string firstBackwardFile;
    int64_t firstBackwardFromMs = -1;  // the time before that line, and the line's
    int64_t firstBackwardToMs = -1;
    int64_t lastMs = -1;  // the time of the last line that has one
    // Files of a set that begin with kUnreadableBeforeGivingUp lines of neither form: "HOST.pro.0 (line 1:
    // "text")", passed over.
    std::vector<std::string> passedOverFiles;
    std::size_t doubledLineEnds = 0;  // lines ended with CR CR LF, read as CR LF
    std::size_t firstDoubledLineEnd = 0;
    std::string firstDoubledLineEndFile;
    std::size_t utf8Lines = 0;  // lines in UTF-8, read as the driver wrote them in Windows-1251
    std::size_t firstUtf8Line = 0;
    std::string firstUtf8File;
};

// What the summary calls for telling, one sentence each: files and lines skipped, line ends and encodings read
// otherwise than the driver writes them, time running backwards.
std::vector<std::string> Cautions(const RecordingSummary& summary);

// False and the reason in *error when the input holds no recording; name is the input's name in the reason.
bool ReadRecording(std::istream& in, const std::string& name, const RecordingVisitor& visitor,
                   RecordingSummary* summary, std::string* error);
// The same from files read one after the other as one recording (a send in one, its answer in the next); false
// too when one cannot be opened or read.
bool ReadRecordingFiles(const std::vector<std::string>& paths, const RecordingVisitor& visitor,
                        RecordingSummary* summary, std::string* error);

}  // namespace sbhost
