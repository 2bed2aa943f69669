// The trace log: one plain text file, a line per call, each "hh:mm:ss.zzz text" ending in CR LF, rotated by size
// into numbered copies. Level-3 lines also go to the alert queue. Writing never raises to the caller.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "logging/AlertQueue.h"
#include "platform/Event.h"
#include "platform/Lock.h"

namespace sb {

constexpr uint8_t kLevelTrace = 1;
constexpr uint8_t kLevelCritical = 3;

class Logger {
public:
    static constexpr unsigned long long kRotationLimit = 7340032;  // 7 MiB
    static constexpr int kNewestCopy = 0;
    static constexpr int kOldestCopy = 11;

    Logger() = default;
    Logger(const Logger&) = delete;
    Logger& operator=(const Logger&) = delete;

    // Points the log at a file; an empty name stops writing to any file.
    void SetFileName(const std::string& fileName);
    std::string FileName();
    bool HasFile();

    void WriteLog(uint8_t level, std::string_view text);

    // The alert queue and the event that wakes the alert thread after every critical line.
    AlertQueue& Alerts() { return AlertQueue_; }
    platform::AutoResetEvent& AlertEvent() { return AlertEvent_; }
    platform::RecursiveLock& LogLock() { return LogLock_; }

private:
    void AppendLine(const std::string& line);

    std::string LogFileName;
    bool FirstWrite = true;
    platform::RecursiveLock LogLock_;
    AlertQueue AlertQueue_;
    platform::AutoResetEvent AlertEvent_;
};

// Moves the file to copy ".0" when it is larger than limit, the older copies one number up and drops ".11".
void RotateLog(const std::string& fileName, unsigned long long limit = Logger::kRotationLimit);

// "hh:mm:ss.zzz" of the platform's local time.
std::string TimeStamp();

}  // namespace sb
