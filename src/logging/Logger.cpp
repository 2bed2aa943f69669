#include "logging/Logger.h"

#include <cstdio>

#include "platform/Boundary.h"
#include "platform/Clock.h"
#include "platform/Paths.h"

namespace sb {
namespace {
std::string CopyName(const std::string& fileName, int number) { return fileName + "." + std::to_string(number); }

bool Exists(const std::string& path) {
    unsigned long long size = 0;
    return platform::FileSize(path, &size);
}
}  // namespace

std::string TimeStamp() {
    const platform::TimeOfDay now = platform::LocalTime();
    auto digits = [](int value, int count, char* out) {
        for (int i = count - 1; i >= 0; --i, value /= 10) out[i] = static_cast<char>('0' + value % 10);
    };
    char text[12];
    digits(now.hour, 2, text);
    text[2] = ':';
    digits(now.minute, 2, text + 3);
    text[5] = ':';
    digits(now.second, 2, text + 6);
    text[8] = '.';
    digits(now.millisecond, 3, text + 9);
    return std::string(text, sizeof text);
}

void RotateLog(const std::string& fileName, unsigned long long limit) {
    unsigned long long size = 0;
    if (!platform::FileSize(fileName, &size) || size <= limit) return;
    // Results are not examined: a copy that cannot move stays, and the check repeats before the next line.
    std::remove(CopyName(fileName, Logger::kOldestCopy).c_str());
    for (int n = Logger::kOldestCopy - 1; n >= Logger::kNewestCopy; --n) {
        const std::string from = CopyName(fileName, n);
        if (Exists(from)) std::rename(from.c_str(), CopyName(fileName, n + 1).c_str());
    }
    std::rename(fileName.c_str(), CopyName(fileName, Logger::kNewestCopy).c_str());
}

void Logger::SetFileName(const std::string& fileName) {
    platform::LockGuard hold(LogLock_);
    LogFileName = fileName;
}

bool Logger::HasFile() {
    platform::LockGuard hold(LogLock_);
    return !LogFileName.empty();
}

std::string Logger::FileName() {
    platform::LockGuard hold(LogLock_);
    return LogFileName;
}

void Logger::WriteLog(uint8_t level, std::string_view text) {
    try {
        if (level != kLevelCritical && !HasFile()) return;  // a trace line with nowhere to go
        std::string line = TimeStamp();
        line += ' ';
        line.append(text.data(), text.size());
        if (level == kLevelCritical) {
            {
                platform::LockGuard hold(LogLock_);
                AlertQueue_.QueueAlert(line);
            }
            AlertEvent_.Signal();
        }
        AppendLine(line);
    } catch (...) {
        platform::PassThreadEnd();
        // Logging must never interrupt a dispenser exchange: a line that cannot be built is dropped.
    }
}

void Logger::AppendLine(const std::string& line) {
    platform::LockGuard hold(LogLock_);
    if (LogFileName.empty()) return;
    RotateLog(LogFileName);
    std::FILE* file = std::fopen(LogFileName.c_str(), "ab");
    if (file == nullptr) file = std::fopen(LogFileName.c_str(), "wb");
    if (file == nullptr) return;
    if (FirstWrite) {
        if (std::fputs("\r\n", file) < 0) {
            std::fclose(file);
            return;
        }
        FirstWrite = false;
    }
    if (std::fwrite(line.data(), 1, line.size(), file) == line.size()) std::fputs("\r\n", file);
    std::fclose(file);
}

}  // namespace sb
