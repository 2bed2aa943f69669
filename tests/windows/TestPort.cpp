#include "TestPort.h"

#include <windows.h>

#include "platform/win32/StructuredGuard.h"

namespace wintest {
namespace {

// A frame of the port's own, like a host language's try/finally: its handler runs when the frame is unwound.
struct FinallyFrame {
    EXCEPTION_REGISTRATION_RECORD registration;
    std::atomic<bool>* ran;
};

EXCEPTION_DISPOSITION __cdecl RunFinally(EXCEPTION_RECORD* record, void* establisher, CONTEXT*, void*) {
    if ((record->ExceptionFlags & EXCEPTION_UNWINDING) != 0) *static_cast<FinallyFrame*>(establisher)->ran = true;
    return ExceptionContinueSearch;
}

}  // namespace

TestPort::TestPort(SbPortService* line) : PortServiceForwarder(line) {}

int32_t TestPort::SendReceive(uint32_t point, uint8_t* send, uint32_t sendCount, uint8_t* receive, uint32_t replySize,
                              uint32_t zero) {
    const Fault fault = TakeRaise() ? Fault::RaiseInSendReceive : fault_;
    switch (fault) {
        case Fault::FailSendReceive: return 1;
        case Fault::RaiseInSendReceive:
        case Fault::AccessViolation: FailInsideOwnFrame(fault); return 1;  // not reached
        case Fault::None: break;
    }
    return PortServiceForwarder::SendReceive(point, send, sendCount, receive, replySize, zero);
}

bool TestPort::TakeRaise() {
    unsigned left = raisesLeft_.load();
    // Tried again only when another thread changed the count meanwhile: each try ends with one taken or none.
    while (left > 0 && !raisesLeft_.compare_exchange_weak(left, left - 1)) {
    }
    return left > 0;
}

__attribute__((noinline)) void TestPort::FailInsideOwnFrame(Fault fault) {
    FinallyFrame frame{};
    frame.registration.Next = sb::platform::ExceptionChainHead();
    frame.registration.Handler = reinterpret_cast<PEXCEPTION_ROUTINE>(&RunFinally);
    frame.ran = &finallyRan_;
    sb::platform::SetExceptionChainHead(&frame.registration);
    if (fault == Fault::AccessViolation) {
        static volatile int* volatile nowhere = nullptr;  // volatile: the write must really happen
        *nowhere = 1;
    }
    RaiseException(kHostRaiseCode, EXCEPTION_NONCONTINUABLE, 0, nullptr);
}

}  // namespace wintest
