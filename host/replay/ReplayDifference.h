// What sbhost replay found where the driver of today and the recording part: the call, the place in it, and
// both sides decoded as sbhost decode shows them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "decode/Conversation.h"
#include "host/program/Json.h"
#include "replay/RecordedCalls.h"

namespace sbhost {

struct Difference {
    enum class Kind {
        kTransmission,  // the driver sent other bytes than the recording has at that place
        kDriverMore,    // the driver went on where the recording's call ends
        kDriverLess,    // the driver's call ended where the recording's goes on
        kAnswer,        // the line answered otherwise than the recording (over serial lines)
        kFigure,        // a figure the log tells (a state code, a counter) came out otherwise
        kFailure,       // the call failed otherwise than the log tells
        kUnreplayable,  // the recording's call cannot be made again
    };
    Kind kind = Kind::kTransmission;
    // The recorded call: its point, kind, first line, time and the driver's line that opened it.
    unsigned point = 0;
    sbreplay::HostCall call = sbreplay::HostCall::kStatus;
    std::size_t lineNumber = 0;
    int64_t timeMs = -1;
    std::string opening;
    std::size_t exchange = 0;                        // 1-based place in the call's exchanges
    std::optional<sbdecode::ReadExchange> recorded;  // the recording's exchange at that place
    std::optional<sbdecode::ReadExchange> driver;    // the driver's (its answer only when a line gave one)
    // kDriverMore: what the recording goes on with on the point.
    std::string next;
    std::size_t nextLineNumber = 0;
    int64_t nextTimeMs = -1;
    // kFigure, kFailure, kUnreplayable: what, as recorded, and as the driver gave it.
    std::string what;
    std::string recordedValue;
    std::string driverValue;
};

// "line 612", "HOST.pro.3 line 612": where a line of the recording lies.
using LineWhere = std::function<std::string(std::size_t)>;

// The difference for people, in lines (no newline at the end).
std::string DifferenceText(const Difference& difference, const LineWhere& where);
// The difference as sbhost --json writes it: event "replay", result "differs".
JsonObject DifferenceJson(const Difference& difference, const LineWhere& where);

}  // namespace sbhost
