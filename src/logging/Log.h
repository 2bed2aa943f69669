// The process-wide log every operation writes through. It writes nothing until StartLogging has run.
#pragma once

#include <cstdint>
#include <initializer_list>
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

// Whether trace lines go anywhere: a caller that builds a text only for the trace asks first.
inline bool TraceWanted() { return ProcessLog().TakesTrace(); }

void WriteLog(uint8_t level, std::string_view text);

// A level-1 line ":  text".
void LogDetail(std::string_view text);

// A level-1 line ":  prefix" followed by " XX" for each of the first count bytes. The prefix may come in up to
// three parts, written one after the other.
void LogDump(const uint8_t* bytes, uint8_t count, std::string_view prefix);
void LogDump(const uint8_t* bytes, uint8_t count, std::initializer_list<std::string_view> prefix);

// A number in decimal, held where it is made, for the parts of a line.
class DecimalText {
public:
    explicit DecimalText(unsigned long long value) {
        do {
            digits_[--start_] = static_cast<char>('0' + value % 10);
            value /= 10;
        } while (value != 0);
    }
    operator std::string_view() const { return std::string_view(digits_ + start_, sizeof digits_ - start_); }

private:
    char digits_[20];  // the 20 digits of the largest value
    unsigned start_ = sizeof digits_;
};

}  // namespace sb
