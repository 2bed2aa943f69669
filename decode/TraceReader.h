// Reads a recording of dispenser lines line by line: the driver's trace log (Windows-1251, "hh:mm:ss.zzz text",
// its sent and received bytes in hex after "Send(n):" and "Прием(n,OK):") or a hex capture, one transmission a
// line: "[hh:mm:ss.zzz] [POINT] > HEX" for the driver's bytes, "< HEX" for the dispenser's ("#" starts a comment).
// Both may be mixed; a line that is neither is handed on as unreadable, never taken for anything else.
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>

#include "decode/LineFrames.h"

namespace sbdecode {

// Longest line read; the rest of a longer one is skipped and the line is unreadable.
constexpr std::size_t kMaxLineLength = 4096;

struct TraceRecord {
    // kFailure: the driver's "FAILURE(n): slot k: text", a failure a slot returned to a host in return mode.
    enum class Kind { kSent, kReceived, kNote, kFailure, kUnreadable };
    Kind kind = Kind::kNote;
    std::size_t lineNumber = 0;
    int64_t timeMs = -1;    // since midnight of the first day, days counted on; -1 when the line has no time
    unsigned point = 0;     // 0 when the line names none
    int slot = -1;          // kFailure: the slot that failed
    bool captured = false;  // kSent, kReceived: a capture's line, which tells no answer when none came
    // The line follows an empty one: the driver starts every host process's log with one, so this is the first
    // line of a run of the host (a new driver object, its lines opened afresh).
    bool startsRun = false;
    // kNote: a line the driver writes between the send and the reception of one exchange (a refusal), which
    // leaves the exchange open.
    bool withinExchange = false;
    Bytes bytes;  // kSent, kReceived
    // kNote: the driver's line in UTF-8; kFailure: the failure's text in UTF-8; kUnreadable: the line as it came,
    // in UTF-8
    std::string text;
};

class TraceReader {
public:
    explicit TraceReader(std::istream& in) : in_(&in) {}
    // The next record; false at the end of the input.
    bool Next(TraceRecord* record);
    // Goes on with the recording's next file: its lines are counted from 1, its times on the same timeline.
    void ContinueWith(std::istream& in);
    // Lines read so far.
    std::size_t lineNumber() const { return lineNumber_; }
    // Lines that ended in more than one CR before their LF (a copy converted twice), read without them, and the
    // number of the first such line in its file.
    std::size_t doubledLineEnds() const { return doubledLineEnds_; }
    std::size_t firstDoubledLineEnd() const { return firstDoubledLineEnd_; }
    // Lines in UTF-8 rather than the driver's Windows-1251 (a copy converted), read as the driver wrote them.
    std::size_t utf8Lines() const { return utf8Lines_; }
    std::size_t firstUtf8Line() const { return firstUtf8Line_; }

private:
    bool ReadLine(std::string* line, bool* cut);
    int64_t OnTimeline(int64_t clockMs);

    std::istream* in_;
    std::size_t lineNumber_ = 0;
    int64_t lastClockMs_ = -1;
    int64_t dayMs_ = 0;
    bool afterEmptyLine_ = false;
    std::size_t doubledLineEnds_ = 0;
    std::size_t firstDoubledLineEnd_ = 0;
    std::size_t utf8Lines_ = 0;
    std::size_t firstUtf8Line_ = 0;
};

}  // namespace sbdecode
