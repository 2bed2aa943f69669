// Every slot runs its body here: a failure leaves the slot the way the host chose for the driver object (raised
// the platform's way, or returned as the slot's neutral result), after the body's C++ scopes have closed and its
// locks have been released.
#pragma once

#include <cstdio>
#include <cstring>
#include <exception>
#include <optional>
#include <string>
#include <utility>

#include "driver/TVM30.h"
#include "link/CallContext.h"
#include "logging/Log.h"
#include "logging/TraceFormat.h"
#include "platform/Boundary.h"
#include "sbdriver/sbdriver.h"

namespace sb {

struct SlotFailure {
    platform::HostFailureKind kind = platform::HostFailureKind::SerialIO;
    uint32_t reason = SB_REASON_NONE;
    // Plain storage: a structured exception leaves the slot without running C++ destructors.
    char cp1251[512] = {};
    char utf8[1024] = {};

    void Set(platform::HostFailureKind failureKind, const char* text, const char* textUtf8,
             uint32_t failureReason = SB_REASON_NONE) {
        kind = failureKind;
        reason = failureReason;
        std::strncpy(cp1251, text, sizeof cp1251 - 1);
        std::strncpy(utf8, textUtf8, sizeof utf8 - 1);
    }
};

// The texts of this thread's failure on its way to the host.
SlotFailure& ThreadSlotFailure();

// This thread's record for SbGetLastFailure: the latest slot call that can fail, in return mode, failed or not;
// its reason for SbGetLastFailureReason beside it.
SbFailure& ThreadReportedFailure();
uint32_t& ThreadReportedReason();

inline bool ReturnsFailures(SbDriver* self) {
    return self != nullptr && TVM30::From(self).FailureMode.load(std::memory_order_relaxed) == SB_FAILURES_RETURN;
}

inline void ClearReportedFailure() {
    SbFailure& record = ThreadReportedFailure();
    record.code = SB_FAILURE_NONE;
    record.cp1251[0] = '\0';
    record.utf8[0] = '\0';
    ThreadReportedReason() = SB_REASON_NONE;
}

inline void ReportFailure(const SlotFailure& failure) {
    SbFailure& record = ThreadReportedFailure();
    record.code = failure.kind == platform::HostFailureKind::Abstract ? SB_FAILURE_ABSTRACT : SB_FAILURE_SERIAL_IO;
    static_assert(sizeof record.cp1251 == sizeof failure.cp1251 && sizeof record.utf8 == sizeof failure.utf8);
    std::memcpy(record.cp1251, failure.cp1251, sizeof record.cp1251);
    std::memcpy(record.utf8, failure.utf8, sizeof record.utf8);
    ThreadReportedReason() = failure.reason;
}

// A value the host gave was refused. In return mode the call's record says so; raised, nothing leaves the slot
// (the log line is the trace of it), since the slot has no failure in the host's table.
inline void ReportRefusal(SbDriver* self, const std::optional<std::string>& refusal,
                          uint32_t reason = SB_REASON_VALUE_REFUSED) {
    if (!refusal || !ReturnsFailures(self)) return;
    SbFailure& record = ThreadReportedFailure();
    record.code = SB_FAILURE_REFUSED;
    ThreadReportedReason() = reason;
    std::snprintf(record.cp1251, sizeof record.cp1251, "%s", refusal->c_str());
    std::snprintf(record.utf8, sizeof record.utf8, "%s", refusal->c_str());
}

// A slot's call as the boundary sees it.
struct SlotCall {
    SbDriver* self = nullptr;  // the driver object; null for the entry points, which have none yet and raise
    int slot = 0;
    uint32_t point = 0;  // the point the slot works on; 0 for the slots without one
};

// Slots 1, 2 and 3 cannot fail: in return mode they leave the thread's record as it was, so that the line result
// a host reads right after a failed call does not wipe the failure (slots 5, 8, 12, 17, 18 and 20 never come here).
constexpr bool CannotFail(int slot) { return slot >= 1 && slot <= 3; }

// A failure returned leaves its trace for whoever reads the log later: "FAILURE(n): slot k: text" at the trace
// level, the point 0 for slots without one. Raised, the host has it and the log stays as it was.
inline void TraceReturnedFailure(const SlotCall& call, const SlotFailure& failure) {
    char line[sizeof failure.cp1251 + 48];
    std::snprintf(line, sizeof line, "%s%u%s%d%s%s", trace::kFailureOpen, static_cast<unsigned>(call.point),
                  trace::kFailureSlot, call.slot, trace::kFailureText, failure.cp1251);
    WriteLog(kLevelTrace, line);
}

// Without a port service every exchange fails at the port: the host is told that cause, not a line's failure.
inline uint32_t ReasonOf(const SlotCall& call, const ESerialIO& error) {
    const bool portMissing =
        call.self != nullptr && TVM30::From(call.self).Port.Missing(static_cast<uint8_t>(call.point));
    return error.Reason() == SB_REASON_PORT_FAILED && portMissing ? SB_REASON_NO_PORT_SERVICE : error.Reason();
}

// writeNeutral puts the neutral result into what the slot writes through the host's addresses; it runs only
// when a failure is returned.
template <typename Body, typename Neutral>
auto AtSlotBoundary(const SlotCall& call, Body&& body, Neutral&& writeNeutral) -> decltype(body()) {
    SlotFailure& failure = ThreadSlotFailure();
    const bool returning = ReturnsFailures(call.self);
    if (returning && !CannotFail(call.slot)) ClearReportedFailure();
    try {
        const CallScope scope;
        return body();
    } catch (const ESerialIO& error) {
        failure.Set(platform::HostFailureKind::SerialIO, error.what(), error.Utf8().c_str(), ReasonOf(call, error));
    } catch (const EAbstractError& error) {
        failure.Set(platform::HostFailureKind::Abstract, error.what(), error.what());
    } catch (const std::exception& error) {
        // Anything else (out of memory, say) still reaches the host as a failed operation, never a crash.
        failure.Set(platform::HostFailureKind::SerialIO, error.what(), error.what());
    } catch (...) {
        platform::PassThreadEnd();
        failure.Set(platform::HostFailureKind::SerialIO, "Unknown failure", "Unknown failure");
    }
    if (returning) {
        ReportFailure(failure);
        TraceReturnedFailure(call, failure);
        writeNeutral();
        return decltype(body())();
    }
    platform::RaiseToHost(failure.kind, failure.cp1251, failure.utf8, failure.reason);
}

template <typename Body>
auto AtSlotBoundary(const SlotCall& call, Body&& body) -> decltype(body()) {
    return AtSlotBoundary(call, std::forward<Body>(body), [] {});
}

}  // namespace sb
