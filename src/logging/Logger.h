// The trace log: one plain text file, a line per call, each "hh:mm:ss.zzz text" ending in CR LF, rotated by size
// into numbered copies. Level-3 lines also go to the alert queue. Writing never raises to the caller.
//
// A trace line costs the file's size look-up, one open, one write and one close, under the log lock taken once,
// and no heap memory: the line goes to the file in pieces (time stamp, the caller's parts, line end) straight
// from where they are. Without a log file (nor a thread's tap) a trace line costs one atomic load and a
// thread-local one.
#pragma once

#include <atomic>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "logging/AlertQueue.h"
#include "platform/Event.h"
#include "platform/Lock.h"

namespace sb {

constexpr uint8_t kLevelTrace = 1;
constexpr uint8_t kLevelCritical = 3;

// A time stamp "hh:mm:ss.zzz".
constexpr std::size_t kTimeStampLength = AlertQueue::kTimeStampLength;

// Takes a line's text parts (no time stamp), as written by one thread: a test's view of its own calls.
using LineTap = void (*)(std::initializer_list<std::string_view> parts);
// Every line the calling thread writes from now on also goes to tap, file or none; nullptr ends it.
void TapThreadLines(LineTap tap);

class Logger {
public:
    static constexpr unsigned long long kRotationLimit = 7340032;  // 7 MiB
    static constexpr int kNewestCopy = 0;
    static constexpr int kOldestCopy = 11;
    // The most parts one line's text is written from.
    static constexpr std::size_t kMaxTextParts = 5;

    Logger() = default;
    Logger(const Logger&) = delete;
    Logger& operator=(const Logger&) = delete;

    // Points the log at a file; an empty name stops writing to any file.
    void SetFileName(const std::string& fileName);
    std::string FileName();
    // Whether trace lines go anywhere (a file, or the calling thread's tap); callers that build a text only for
    // the log ask first.
    bool TakesTrace() const;

    void WriteLog(uint8_t level, std::string_view text);
    // The line whose text is the parts one after the other (at most kMaxTextParts; more are left out).
    void WriteParts(uint8_t level, std::initializer_list<std::string_view> parts);

    // The alert queue and the event that wakes the alert thread after every critical line.
    AlertQueue& Alerts() { return AlertQueue_; }
    platform::AutoResetEvent& AlertEvent() { return AlertEvent_; }
    platform::RecursiveLock& LogLock() { return LogLock_; }

private:
    void QueueCritical(const char* stamp, std::initializer_list<std::string_view> parts);
    void AppendLine(const char* stamp, std::initializer_list<std::string_view> parts);

    std::string LogFileName;
    std::atomic<bool> hasFile_{false};  // !LogFileName.empty(), readable without the lock
    bool FirstWrite = true;
    platform::RecursiveLock LogLock_;
    AlertQueue AlertQueue_;
    platform::AutoResetEvent AlertEvent_;
};

// Moves the file to copy ".0" when it is larger than limit, the older copies one number up and drops ".11".
void RotateLog(const std::string& fileName, unsigned long long limit = Logger::kRotationLimit);

// "hh:mm:ss.zzz" of the platform's local time.
void FormatTimeStamp(char* out);  // kTimeStampLength characters
std::string TimeStamp();

}  // namespace sb
