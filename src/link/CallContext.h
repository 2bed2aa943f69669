// What one host call carries on its thread: its exchange budget, the maintenance sequences it is running, and the
// end of the thread's latest exchange for the pause before the next. The slot boundary opens it for the call's
// life; a call the host's call makes through the method table (slot 15, slot 21) shares the outermost one's.
#pragma once

#include <cstdint>

#include "platform/Clock.h"

namespace sb {

struct CallContext {
    unsigned depth = 0;          // open CallScope on this thread
    uint32_t exchangesUsed = 0;  // by the outermost call so far
    // The end of this thread's latest exchange, whatever its point and call: a port service may carry several
    // points on one line or one converter, so a host thread going from point to point still leaves the whole pause.
    platform::Microseconds quietSince = platform::kNever;
    // Runs of the RESET confirmation and of MASTER RESET under way in this call: a request for either from inside
    // its own run is being served, and is not started again.
    int resetConfirmations = 0;
    int masterResets = 0;
};

// The context of the call running on this thread; outside any call, the thread's own (no budget).
CallContext& ThisCall();

// Opens the call's context for the scope's life.
class CallScope {
public:
    CallScope();
    ~CallScope();
    CallScope(const CallScope&) = delete;
    CallScope& operator=(const CallScope&) = delete;
};

}  // namespace sb
