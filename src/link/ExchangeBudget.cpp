#include "link/ExchangeBudget.h"

namespace sb {
namespace {

struct ThreadBudget {
    unsigned depth = 0;  // open CallBudget scopes on this thread
    uint32_t used = 0;   // exchanges of the outermost call so far
};

thread_local ThreadBudget budget;

}  // namespace

CallBudget::CallBudget() {
    if (budget.depth++ == 0) budget.used = 0;
}

CallBudget::~CallBudget() { --budget.depth; }

ExchangeGrant TakeExchange() {
    if (budget.depth == 0) return ExchangeGrant::Granted;
    if (budget.used > kExchangesPerCall) return ExchangeGrant::Spent;
    return ++budget.used > kExchangesPerCall ? ExchangeGrant::JustSpent : ExchangeGrant::Granted;
}

}  // namespace sb
