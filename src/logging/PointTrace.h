// Trace lines that name an operation and its filling point: the text, the point in decimal, ")", and a result
// after ": " where there is one.
#pragma once

#include <cstdint>
#include <string>

#include "common/Cp1251.h"
#include "logging/Log.h"

namespace sb {

inline std::string PointTrace(const std::string& cp1251Name, uint8_t point) {
    return cp1251Name + std::to_string(point) + ")";
}

inline std::string PointTrace(const SystemText& name, uint8_t point) { return PointTrace(name.cp1251, point); }

// Writes the line at the trace level.
template <typename Name>
void TracePoint(const Name& name, uint8_t point) {
    WriteLog(kLevelTrace, PointTrace(name, point));
}

// Writes "name(n): result" at the trace level.
template <typename Name>
void TracePointResult(const Name& name, uint8_t point, const std::string& result) {
    WriteLog(kLevelTrace, PointTrace(name, point) + ": " + result);
}

}  // namespace sb
