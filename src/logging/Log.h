// The process-wide log every operation writes through. It writes nothing until StartLogging has run.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "logging/Logger.h"

namespace sb {

// The log file name of a host executable: its extension replaced by ".pro" (appended when it has none).
std::string LogFileNameFor(const std::string& executablePath);

// Sets the log up beside the host executable and starts the alert thread. A second call keeps the state
// already running.
void StartLogging();

Logger& ProcessLog();

void WriteLog(uint8_t level, std::string_view text);

// A level-1 line ":  text".
void LogDetail(std::string_view text);

// A level-1 line ":  prefix" followed by " XX" for each of the first count bytes.
void LogDump(const uint8_t* bytes, uint8_t count, std::string_view prefix);

}  // namespace sb
