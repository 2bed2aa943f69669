#include "EspProbe.h"

extern "C" {
void* sbProbeTarget = nullptr;
uint32_t sbProbeCallerPops = 0;
uint32_t sbProbeEspBefore = 0;
uint32_t sbProbeEspAfter = 0;
uint32_t sbProbeReturn = 0;
}

// Entered with the caller's return address on top of its arguments. The address is parked in memory so that the
// target sees exactly the caller's arguments, and everything else moves through memory: EAX, EDX and ST(0)
// still hold the target's result at the final ret.
asm(".text\n"
    ".globl _SbEspProbe\n"
    "_SbEspProbe:\n"
    "    popl _sbProbeReturn\n"
    "    movl %esp, _sbProbeEspBefore\n"
    "    call *_sbProbeTarget\n"
    "    movl %esp, _sbProbeEspAfter\n"
    "    movl _sbProbeEspBefore, %esp\n"
    "    addl _sbProbeCallerPops, %esp\n"
    "    pushl _sbProbeReturn\n"
    "    ret\n");
