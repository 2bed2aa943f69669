#include "logging/Logger.h"

#include <cstdio>

#include "platform/Boundary.h"
#include "platform/Clock.h"
#include "platform/LogFile.h"
#include "platform/Paths.h"

namespace sb {
namespace {

static_assert(Logger::kMaxTextParts + 3 <= platform::kMaxFilePieces,
              "a line is its empty line, time stamp, text parts and line end");

constexpr char kLineEnd[] = "\r\n";
constexpr std::size_t kLineEndLength = 2;

std::string CopyName(const std::string& fileName, int number) { return fileName + "." + std::to_string(number); }

thread_local LineTap threadTap = nullptr;

bool Exists(const std::string& path) {
    unsigned long long size = 0;
    return platform::FileSize(path, &size);
}

}  // namespace

void FormatTimeStamp(char* out) {
    const platform::TimeOfDay now = platform::LocalTime();
    auto digits = [](int value, int count, char* to) {
        for (int i = count - 1; i >= 0; --i, value /= 10) to[i] = static_cast<char>('0' + value % 10);
    };
    digits(now.hour, 2, out);
    out[2] = ':';
    digits(now.minute, 2, out + 3);
    out[5] = ':';
    digits(now.second, 2, out + 6);
    out[8] = '.';
    digits(now.millisecond, 3, out + 9);
}

std::string TimeStamp() {
    char text[kTimeStampLength];
    FormatTimeStamp(text);
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

void TapThreadLines(LineTap tap) { threadTap = tap; }

bool Logger::TakesTrace() const { return hasFile_.load(std::memory_order_relaxed) || threadTap != nullptr; }

void Logger::SetFileName(const std::string& fileName) {
    platform::LockGuard hold(LogLock_);
    LogFileName = fileName;
    hasFile_.store(!fileName.empty(), std::memory_order_relaxed);
}

std::string Logger::FileName() {
    platform::LockGuard hold(LogLock_);
    return LogFileName;
}

void Logger::WriteLog(uint8_t level, std::string_view text) { WriteParts(level, {text}); }

void Logger::WriteParts(uint8_t level, std::initializer_list<std::string_view> parts) {
    const bool critical = level == kLevelCritical;
    if (!critical && !TakesTrace()) return;  // a trace line with nowhere to go
    try {
        if (threadTap != nullptr) threadTap(parts);
        // The time stamp and its space; taken before the lock, so two threads' lines may reach the file in an
        // order different from their stamps.
        char stamp[kTimeStampLength + 1];
        FormatTimeStamp(stamp);
        stamp[kTimeStampLength] = ' ';
        if (critical) {
            QueueCritical(stamp, parts);
            AlertEvent_.Signal();
        }
        if (hasFile_.load(std::memory_order_relaxed)) AppendLine(stamp, parts);
    } catch (...) {
        platform::PassThreadEnd();
        // Logging must never interrupt a dispenser exchange: a line that cannot be written is dropped.
    }
}

void Logger::QueueCritical(const char* stamp, std::initializer_list<std::string_view> parts) {
    std::string line(stamp, kTimeStampLength + 1);
    std::size_t taken = 0;
    for (std::string_view part : parts) {
        if (taken++ < kMaxTextParts) line.append(part.data(), part.size());
    }
    platform::LockGuard hold(LogLock_);
    AlertQueue_.QueueAlert(line);
}

void Logger::AppendLine(const char* stamp, std::initializer_list<std::string_view> parts) {
    platform::FilePiece pieces[platform::kMaxFilePieces];
    std::size_t count = 0;
    platform::LockGuard hold(LogLock_);
    if (LogFileName.empty()) return;
    RotateLog(LogFileName);
    const bool emptyLineFirst = FirstWrite;
    if (emptyLineFirst) pieces[count++] = {kLineEnd, kLineEndLength};
    pieces[count++] = {stamp, kTimeStampLength + 1};
    std::size_t taken = 0;
    for (std::string_view part : parts) {
        if (taken++ < kMaxTextParts) pieces[count++] = {part.data(), part.size()};
    }
    pieces[count++] = {kLineEnd, kLineEndLength};
    std::size_t written = 0;
    // The empty line counts once it is in the file, even when the line after it was cut short.
    if (platform::AppendToFile(LogFileName.c_str(), pieces, count, &written) && emptyLineFirst &&
        written >= kLineEndLength) {
        FirstWrite = false;
    }
}

}  // namespace sb
