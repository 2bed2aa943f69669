// Raising the failure of a dispenser exchange (ESerialIO) with one of the system's texts.
#pragma once

#include "common/Cp1251.h"
#include "sbdriver/sbdriver.h"

namespace sb {

// reason: SB_REASON_*, what stopped the exchange.
[[noreturn]] inline void RaiseSerialIO(const SystemText& text, uint32_t reason) {
    throw ESerialIO(text.cp1251, text.utf8, reason);
}

}  // namespace sb
