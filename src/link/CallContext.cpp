#include "link/CallContext.h"

namespace sb {

CallContext& ThisCall() {
    thread_local CallContext context;
    return context;
}

CallScope::CallScope() {
    CallContext& context = ThisCall();
    if (context.depth++ == 0) context.exchangesUsed = 0;
}

CallScope::~CallScope() { --ThisCall().depth; }

}  // namespace sb
