// The calendar date of a recording's times. The driver's log and a capture give the time of day only; a file
// written up to its last line, not copied since, was last changed just after that line, which dates it.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

namespace sbhost {

// A file's last change may follow its last line by up to this (the line's time is taken before it is written).
constexpr int64_t kWrittenAfterLastLineMs = 60 * 1000;

class RecordingDate {
public:
    // lastMs: the time of the recording's last line on its timeline; written: when its file was last changed.
    // Nothing when the two do not agree (the file copied or touched since).
    static std::optional<RecordingDate> Agreeing(int64_t lastMs, std::time_t written);
    // The date of a time on the timeline: "2024-05-01".
    std::string Of(int64_t timeMs) const;

private:
    RecordingDate(std::time_t lastLine, int64_t lastDay) : lastLine_(lastLine), lastDay_(lastDay) {}
    std::time_t lastLine_;  // when the last line was written
    int64_t lastDay_;       // its day on the timeline
};

// When the file was last changed; false when it cannot be looked at.
bool FileWritten(const std::string& path, std::time_t* when);

}  // namespace sbhost
