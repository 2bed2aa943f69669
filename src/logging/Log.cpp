#include "logging/Log.h"

#include "logging/AlertThread.h"
#include "logging/TraceFormat.h"
#include "platform/Paths.h"

namespace sb {
namespace {
constexpr std::size_t kMaxPrefixParts = 3;
}  // namespace

std::string LogFileNameFor(const std::string& executablePath) {
    if (executablePath.empty()) return {};
    const size_t nameStart = executablePath.find_last_of("/\\");
    const size_t dot = executablePath.find_last_of('.');
    const bool hasExtension = dot != std::string::npos && (nameStart == std::string::npos || dot > nameStart);
    return (hasExtension ? executablePath.substr(0, dot) : executablePath) + ".pro";
}

Logger& ProcessLog() {
    static Logger* instance = new Logger();  // lives for the process: host threads may log during exit
    return *instance;
}

void StartLogging() {
    // Thread-safe once per process; later calls leave the running log as it is.
    static const bool started = [] {
        ProcessLog().SetFileName(LogFileNameFor(platform::ExecutablePath()));
        StartAlertThread();
        return true;
    }();
    (void)started;
}

void WriteLog(uint8_t level, std::string_view text) { ProcessLog().WriteLog(level, text); }

void LogDetail(std::string_view text) { ProcessLog().WriteParts(kLevelTrace, {trace::kDetail, text}); }

void LogDump(const uint8_t* bytes, uint8_t count, std::string_view prefix) { LogDump(bytes, count, {prefix}); }

void LogDump(const uint8_t* bytes, uint8_t count, std::initializer_list<std::string_view> prefix) {
    Logger& log = ProcessLog();
    if (!log.TakesTrace()) return;
    static const char kHex[] = "0123456789ABCDEF";
    char hex[3 * 255];
    for (size_t i = 0; i < count; ++i) {
        hex[3 * i] = ' ';
        hex[3 * i + 1] = kHex[bytes[i] >> 4];
        hex[3 * i + 2] = kHex[bytes[i] & 0x0F];
    }
    std::string_view parts[kMaxPrefixParts];
    std::size_t taken = 0;
    for (std::string_view part : prefix) {
        if (taken < kMaxPrefixParts) parts[taken++] = part;
    }
    log.WriteParts(kLevelTrace,
                   {trace::kDetail, parts[0], parts[1], parts[2], std::string_view(hex, size_t{3} * count)});
}

}  // namespace sb
