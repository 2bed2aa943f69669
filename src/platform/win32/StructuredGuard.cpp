#include "platform/win32/StructuredGuard.h"

extern "C" void SbUnwindKeepingRegisters(void* targetFrame, EXCEPTION_RECORD* record);

// RtlUnwind(target, return here, record, 0), saving EBX, ESI and EDI around it: on x86 it returns through a
// captured context that does not restore them.
asm(".text\n"
    "_SbUnwindKeepingRegisters:\n"
    "    pushl %ebp\n"
    "    movl %esp, %ebp\n"
    "    pushl %ebx\n"
    "    pushl %esi\n"
    "    pushl %edi\n"
    "    pushl $0\n"
    "    pushl 12(%ebp)\n"
    "    pushl $0\n"
    "    pushl 8(%ebp)\n"
    "    call _RtlUnwind@16\n"
    "    leal -12(%ebp), %esp\n"
    "    popl %edi\n"
    "    popl %esi\n"
    "    popl %ebx\n"
    "    popl %ebp\n"
    "    ret\n");

namespace sb::platform {
namespace {

struct GuardFrame {
    EXCEPTION_REGISTRATION_RECORD registration;  // first: the system knows the frame by this address
    void* resume[5];                             // __builtin_setjmp buffer
    EXCEPTION_RECORD record;
};

EXCEPTION_DISPOSITION __cdecl CatchInGuard(EXCEPTION_RECORD* record, void* establisher, CONTEXT*, void*) {
    if ((record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) != 0) {
        return ExceptionContinueSearch;
    }
    auto* frame = static_cast<GuardFrame*>(establisher);
    frame->record = *record;
    SbUnwindKeepingRegisters(frame, &frame->record);
    SetExceptionChainHead(frame->registration.Next);
    __builtin_longjmp(frame->resume, 1);
}

}  // namespace

__attribute__((noinline)) bool CallCatchingStructured(void (*routine)(void*), void* context, EXCEPTION_RECORD* caught) {
    GuardFrame frame{};
    frame.registration.Next = ExceptionChainHead();
    frame.registration.Handler = reinterpret_cast<PEXCEPTION_ROUTINE>(&CatchInGuard);
    if (__builtin_setjmp(frame.resume) != 0) {
        // Back from CatchInGuard: the frames above are unwound and ours is off the chain.
        if (caught != nullptr) *caught = frame.record;
        return false;
    }
    SetExceptionChainHead(&frame.registration);
    routine(context);
    SetExceptionChainHead(frame.registration.Next);
    return true;
}

}  // namespace sb::platform
