// Trace lines that name an operation and its filling point: the text, the point in decimal, ")", and a result
// after ": " where there is one.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/Cp1251.h"
#include "logging/Log.h"

namespace sb {

inline std::string PointTrace(const std::string& cp1251Name, uint8_t point) {
    return cp1251Name + std::to_string(point) + ")";
}

inline std::string PointTrace(const SystemText& name, uint8_t point) { return PointTrace(name.cp1251, point); }

// The Windows-1251 text of an operation's name.
inline std::string_view TraceName(std::string_view cp1251Name) { return cp1251Name; }
inline std::string_view TraceName(const SystemText& name) { return name.cp1251; }

// Writes the line at the trace level, composed where it is written.
template <typename Name>
void TracePoint(const Name& name, uint8_t point) {
    ProcessLog().WriteParts(kLevelTrace, {TraceName(name), DecimalText(point), ")"});
}

// Writes "name(n): result" at the trace level.
template <typename Name>
void TracePointResult(const Name& name, uint8_t point, std::string_view result) {
    ProcessLog().WriteParts(kLevelTrace, {TraceName(name), DecimalText(point), "): ", result});
}

}  // namespace sb
