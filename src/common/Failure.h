// Raising the failure of a dispenser exchange (ESerialIO) with one of the system's texts.
#pragma once

#include "common/Cp1251.h"
#include "sbdriver/sbdriver.h"

namespace sb {

[[noreturn]] inline void RaiseSerialIO(const SystemText& text) { throw ESerialIO(text.cp1251, text.utf8); }

}  // namespace sb
