// Every host call is bounded on the line: one call may make at most kExchangesPerCall port exchanges. A sane
// line never comes near it; a babbling or endlessly refusing one would otherwise hold the host's thread for as
// long as it babbles (each exchange costs at least the 20 ms pause).
#pragma once

#include <cstdint>

namespace sb {

// Six times the most a sane line was seen to need in one call: 42 for slot 9's five re-reads right after a
// START; a silent point's polls with their MASTER RESET take at most 15, a GET COUNTER of nine blocks 14, an
// initialisation 22, and the worst call of thousands of deliveries under injected line faults 56.
constexpr uint32_t kExchangesPerCall = 250;

enum class ExchangeGrant { Granted, JustSpent, Spent };

// Counts one exchange against the call running on this thread (link/CallContext.h): Granted while the budget
// lasts (always outside a host call), JustSpent for the first exchange beyond it, Spent for any later one.
ExchangeGrant TakeExchange();

}  // namespace sb
