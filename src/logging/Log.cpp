#include "logging/Log.h"

#include "logging/AlertThread.h"
#include "platform/Paths.h"

namespace sb {

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

void LogDetail(std::string_view text) {
    std::string line = ":  ";
    line.append(text.data(), text.size());
    WriteLog(kLevelTrace, line);
}

void LogDump(const uint8_t* bytes, uint8_t count, std::string_view prefix) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string text(prefix);
    text.reserve(prefix.size() + 3u * count);
    for (unsigned i = 0; i < count; ++i) {
        text += ' ';
        text += kHex[bytes[i] >> 4];
        text += kHex[bytes[i] & 0x0F];
    }
    LogDetail(text);
}

}  // namespace sb
