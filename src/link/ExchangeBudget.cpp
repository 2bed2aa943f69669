#include "link/ExchangeBudget.h"

#include "link/CallContext.h"

namespace sb {

ExchangeGrant TakeExchange() {
    CallContext& call = ThisCall();
    if (call.depth == 0) return ExchangeGrant::Granted;
    if (call.exchangesUsed > kExchangesPerCall) return ExchangeGrant::Spent;
    return ++call.exchangesUsed > kExchangesPerCall ? ExchangeGrant::JustSpent : ExchangeGrant::Granted;
}

}  // namespace sb
