// Every slot runs its body here: a failure leaves the slot the way the host's platform expects it, after the
// body's C++ scopes have closed and its locks have been released.
#pragma once

#include <cstring>
#include <exception>

#include "link/ExchangeBudget.h"
#include "platform/Boundary.h"
#include "sbdriver/sbdriver.h"

namespace sb {

struct SlotFailure {
    platform::HostFailureKind kind = platform::HostFailureKind::SerialIO;
    // Plain storage: a structured exception leaves the slot without running C++ destructors.
    char cp1251[512] = {};
    char utf8[1024] = {};

    void Set(platform::HostFailureKind failureKind, const char* text, const char* textUtf8) {
        kind = failureKind;
        std::strncpy(cp1251, text, sizeof cp1251 - 1);
        std::strncpy(utf8, textUtf8, sizeof utf8 - 1);
    }
};

SlotFailure& ThreadSlotFailure();

template <typename Body>
auto AtSlotBoundary(Body&& body) -> decltype(body()) {
    SlotFailure& failure = ThreadSlotFailure();
    try {
        const CallBudget budget;
        return body();
    } catch (const ESerialIO& error) {
        failure.Set(platform::HostFailureKind::SerialIO, error.what(), error.Utf8().c_str());
    } catch (const EAbstractError& error) {
        failure.Set(platform::HostFailureKind::Abstract, error.what(), error.what());
    } catch (const std::exception& error) {
        // Anything else (out of memory, say) still reaches the host as a failed operation, never a crash.
        failure.Set(platform::HostFailureKind::SerialIO, error.what(), error.what());
    } catch (...) {
        platform::PassThreadEnd();
        failure.Set(platform::HostFailureKind::SerialIO, "Unknown failure", "Unknown failure");
    }
    platform::RaiseToHost(failure.kind, failure.cp1251, failure.utf8);
}

}  // namespace sb
