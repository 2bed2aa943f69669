#include "FailureChecks.h"

#include <cstdio>
#include <cstring>

#include "Check.h"
#include "Structured.h"
#include "common/Cp1251.h"

namespace wintest {
namespace {

constexpr DWORD kThreadWaitMs = 10000;  // a poll against the simulator takes well under a second

std::string Hex(DWORD value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(value));
    return text;
}

// The failure a host sees: code, flags and the two arguments holding the text.
void CheckRaisedText(const EXCEPTION_RECORD& caught, DWORD code, const std::string& text, const std::string& what) {
    // Another exception's arguments are no text: read them only under our own code.
    if (!ExpectEqual(Hex(caught.ExceptionCode), Hex(code), what + ": exception code")) return;
    Expect((caught.ExceptionFlags & EXCEPTION_NONCONTINUABLE) != 0, what + ": raised as noncontinuable");
    if (!ExpectEqual(caught.NumberParameters, 2ul, what + ": two arguments")) return;
    const char* message = reinterpret_cast<const char*>(caught.ExceptionInformation[0]);
    const size_t length = caught.ExceptionInformation[1];
    if (!Expect(message != nullptr, what + ": argument 0 points to the text")) return;
    ExpectEqual(length, std::strlen(message), what + ": argument 1 is the length of the zero-terminated text");
    const std::string raised(message, length);
    Expect(raised == text, what + ": the text is the Windows-1251 message \"" + sb::ToUtf8(text) + "\"",
           raised == text ? std::string() : "got \"" + sb::ToUtf8(raised) + "\"");
}

struct ThreadPoll {
    HostSetup* host;
    uint32_t point;
    bool raised;
    uint32_t state;
};

DWORD WINAPI PollOnThread(LPVOID argument) {
    auto& poll = *static_cast<ThreadPoll*>(argument);
    EXCEPTION_RECORD caught{};
    poll.raised = RaisesStructured(
        [&] { poll.state = poll.host->Slots().PollStatus(poll.host->driver, poll.point, 0); }, &caught);
    return 0;
}

// Slot 10 on a thread of its own: a point lock or the log lock left held by this thread would stop it.
void CheckPollsFromAnotherThread(HostSetup& host, uint32_t point, const std::string& what) {
    ThreadPoll poll{&host, point, false, 0};
    HANDLE thread = CreateThread(nullptr, 0, &PollOnThread, &poll, 0, nullptr);
    if (!Expect(thread != nullptr, what + ": a second thread starts")) return;
    const bool finished = WaitForSingleObject(thread, kThreadWaitMs) == WAIT_OBJECT_0;
    CloseHandle(thread);
    if (!Expect(finished, what + ": slot 10 from another thread completes (locks released)")) return;
    Expect(!poll.raised, what + ": the point answers again once the port works");
    ExpectEqual(host.Slots().GetLineResult(host.driver, point), 1u, what + ": the line result is good again");
}

}  // namespace

void CheckAbstractSlot(HostSetup& host) {
    EXCEPTION_RECORD caught{};
    const bool raised = RaisesStructured([&] { host.Slots().Abstract(host.driver); }, &caught);
    if (!Expect(raised, "slot 0 raises")) return;
    ExpectEqual(Hex(caught.ExceptionCode), Hex(SB_EXCEPTION_ABSTRACT), "slot 0: exception code");
    ExpectEqual(caught.NumberParameters, 2ul, "slot 0: two arguments");
}

void CheckSerialIOReachesHost(HostSetup& host) {
    const std::string what = "ESerialIO";
    host.Slots().OpenLine(host.driver, kFailurePoint);
    host.port->SetFault(TestPort::Fault::FailSendReceive);
    EXCEPTION_RECORD caught{};
    const bool raised = RaisesStructured([&] { host.Slots().PollStatus(host.driver, kFailurePoint, 0); }, &caught);
    host.port->SetFault(TestPort::Fault::None);
    if (!Expect(raised, what + ": slot 10 raises when the port fails its send-and-receive")) return;
    CheckRaisedText(caught, SB_EXCEPTION_SERIAL_IO, Cp1251("Невозможно выполнить сброс ТРК"), what);
    CheckPollsFromAnotherThread(host, kFailurePoint, what);
}

void CheckPortFailuresAbsorbed(HostSetup& host) {
    const struct {
        TestPort::Fault fault;
        const char* what;
    } cases[] = {{TestPort::Fault::RaiseInSendReceive, "host raise in send-and-receive"},
                 {TestPort::Fault::AccessViolation, "access violation in send-and-receive"}};
    constexpr int kErrorResultSlot = 1;
    for (const auto& c : cases) {
        const std::string what = c.what;
        host.Slots().OpenLine(host.driver, kFailurePoint);
        const int errorCallsBefore = host.PortCalls(kErrorResultSlot, kFailurePoint);
        host.port->SetFault(c.fault);
        EXCEPTION_RECORD caught{};
        const bool raised = RaisesStructured([&] { host.Slots().PollStatus(host.driver, kFailurePoint, 0); }, &caught);
        const bool finallyRan = host.port->FinallyRan();
        host.port->SetFault(TestPort::Fault::None);
        Expect(finallyRan, what + ": the port's own finally-handler ran");
        Expect(host.PortCalls(kErrorResultSlot, kFailurePoint) > errorCallsBefore,
               what + ": the driver asked the port's error result");
        // The simulator's error result is not 0, so the poll fails as any failed exchange does: with the
        // driver's own failure.
        if (Expect(raised, what + ": the failed exchange reaches the host")) {
            CheckRaisedText(caught, SB_EXCEPTION_SERIAL_IO, Cp1251("Невозможно выполнить сброс ТРК"), what);
        }
        CheckPollsFromAnotherThread(host, kFailurePoint, what);
    }
}

}  // namespace wintest
