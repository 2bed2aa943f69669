#include "HostFailureChecks.h"

#include <windows.h>

#include <stdexcept>
#include <string>

#include "Check.h"
#include "host/program/DriverFailures.h"

namespace wintest {

void CheckHostCatchesDriverFailures(HostSetup& host) {
    const std::string what = "sbhost's failure catcher";
    int exitCode = -1;
    std::string failure;
    Expect(sbhost::RunCatchingDriverFailures([] { return 7; }, &exitCode, &failure) && exitCode == 7,
           what + ": a body that returns gives its exit code");

    host.Slots().OpenLine(host.driver, kFailurePoint);
    host.port->SetFault(TestPort::Fault::FailSendReceive);
    exitCode = -1;
    bool pastThePoll = false;
    const bool returned = sbhost::RunCatchingDriverFailures(
        [&] {
            host.Slots().PollStatus(host.driver, kFailurePoint, 0);
            pastThePoll = true;
            return 0;
        },
        &exitCode, &failure);
    host.port->SetFault(TestPort::Fault::None);
    Expect(!returned && !pastThePoll && exitCode == -1, what + ": the driver's failure stops the body");
    ExpectEqual(failure, std::string("Невозможно выполнить сброс ТРК"), what + ": the failure's text in UTF-8");

    const bool foreignReturned = sbhost::RunCatchingDriverFailures(
        [] {
            RaiseException(0xE0001234, EXCEPTION_NONCONTINUABLE, 0, nullptr);
            return 0;
        },
        &exitCode, &failure);
    const bool toldByCode = failure.rfind("structured exception 0xE0001234 at ", 0) == 0;
    Expect(!foreignReturned && toldByCode, what + ": another structured exception is told by its code",
           toldByCode ? std::string() : failure);

    const bool cxxReturned =
        sbhost::RunCatchingDriverFailures([]() -> int { throw std::runtime_error("no room"); }, &exitCode, &failure);
    ExpectEqual(failure, std::string("no room"), what + ": a C++ exception is told by its text");
    Expect(!cxxReturned, what + ": a C++ exception stops the body");
}

}  // namespace wintest
