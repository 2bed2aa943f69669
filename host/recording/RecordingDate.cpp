#include "host/recording/RecordingDate.h"

#include <sys/stat.h>

#include <cstdio>

namespace sbhost {
namespace {

constexpr int64_t kDayMs = 24LL * 3600 * 1000;

}  // namespace

std::optional<RecordingDate> RecordingDate::Agreeing(int64_t lastMs, std::time_t written) {
    const std::tm* local = std::localtime(&written);
    if (lastMs < 0 || local == nullptr) return std::nullopt;
    const int64_t writtenClockMs = ((local->tm_hour * 60LL + local->tm_min) * 60 + local->tm_sec) * 1000;
    // The file's time has whole seconds: it may fall up to a second before the line's milliseconds.
    const int64_t after = ((writtenClockMs - lastMs % kDayMs) % kDayMs + kDayMs + 1000) % kDayMs - 1000;
    if (after > kWrittenAfterLastLineMs) return std::nullopt;
    return RecordingDate(written - static_cast<std::time_t>(after / 1000), lastMs / kDayMs);
}

std::string RecordingDate::Of(int64_t timeMs) const {
    std::tm day{};
    if (const std::tm* local = std::localtime(&lastLine_)) day = *local;
    // Noon, away from the hour a change of summer time skips or repeats.
    day.tm_hour = 12;
    day.tm_min = day.tm_sec = 0;
    day.tm_isdst = -1;
    day.tm_mday -= static_cast<int>(lastDay_ - (timeMs < 0 ? 0 : timeMs) / kDayMs);
    std::mktime(&day);
    char text[40];  // room for any int
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", day.tm_year + 1900, day.tm_mon + 1, day.tm_mday);
    return text;
}

bool FileWritten(const std::string& path, std::time_t* when) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return false;
    *when = status.st_mtime;
    return true;
}

}  // namespace sbhost
