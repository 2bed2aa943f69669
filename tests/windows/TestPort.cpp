#include "TestPort.h"

#include <windows.h>

#include "platform/win32/StructuredGuard.h"

namespace wintest {
namespace {

// A frame of the port's own, like a host language's try/finally: its handler runs when the frame is unwound.
struct FinallyFrame {
    EXCEPTION_REGISTRATION_RECORD registration;
    bool* ran;
};

EXCEPTION_DISPOSITION __cdecl RunFinally(EXCEPTION_RECORD* record, void* establisher, CONTEXT*, void*) {
    if ((record->ExceptionFlags & EXCEPTION_UNWINDING) != 0) *static_cast<FinallyFrame*>(establisher)->ran = true;
    return ExceptionContinueSearch;
}

}  // namespace

const SbPortServiceVtbl TestPort::kTable = {
    nullptr, &TestPort::ErrorResult, nullptr, nullptr, &TestPort::LineStatus, {},
    &TestPort::SendReceive, &TestPort::Configure, nullptr, &TestPort::SetReceiveHandler, nullptr,
    &TestPort::SetLineSetupHandler};

TestPort::TestPort(SbPortService* line) : SbPortService{&kTable}, line_(line) {}

int32_t __stdcall TestPort::ErrorResult(SbPortService* self, uint32_t point) {
    SbPortService* line = Of(self).line_;
    return line->vtbl->ErrorResult(line, point);
}

uint32_t __stdcall TestPort::LineStatus(SbPortService* self, uint32_t point) {
    SbPortService* line = Of(self).line_;
    return line->vtbl->LineStatus(line, point);
}

int32_t __stdcall TestPort::SendReceive(SbPortService* self, uint32_t point, uint8_t* send, uint32_t sendCount,
                                        uint8_t* receive, uint32_t replySize, uint32_t zero) {
    TestPort& port = Of(self);
    switch (port.fault_) {
        case Fault::FailSendReceive:
            return 1;
        case Fault::RaiseInSendReceive:
        case Fault::AccessViolation:
            port.FailInsideOwnFrame();
            return 1;  // not reached
        case Fault::None:
            break;
    }
    SbPortService* line = port.line_;
    return line->vtbl->SendReceive(line, point, send, sendCount, receive, replySize, zero);
}

int32_t __stdcall TestPort::Configure(SbPortService* self, uint32_t point, uint32_t ten, uint32_t speedCode) {
    SbPortService* line = Of(self).line_;
    return line->vtbl->Configure(line, point, ten, speedCode);
}

void __stdcall TestPort::SetReceiveHandler(SbPortService* self, uint32_t point, SbReceiveHandler handler) {
    SbPortService* line = Of(self).line_;
    line->vtbl->SetReceiveHandler(line, point, handler);
}

void __stdcall TestPort::SetLineSetupHandler(SbPortService* self, uint32_t point, SbLineSetupHandler handler) {
    SbPortService* line = Of(self).line_;
    line->vtbl->SetLineSetupHandler(line, point, handler);
}

__attribute__((noinline)) void TestPort::FailInsideOwnFrame() {
    FinallyFrame frame{};
    frame.registration.Next = sb::platform::ExceptionChainHead();
    frame.registration.Handler = reinterpret_cast<PEXCEPTION_ROUTINE>(&RunFinally);
    frame.ran = &finallyRan_;
    sb::platform::SetExceptionChainHead(&frame.registration);
    if (fault_ == Fault::AccessViolation) {
        static volatile int* volatile nowhere = nullptr;  // volatile: the write must really happen
        *nowhere = 1;
    }
    RaiseException(kHostRaiseCode, EXCEPTION_NONCONTINUABLE, 0, nullptr);
}

}  // namespace wintest
