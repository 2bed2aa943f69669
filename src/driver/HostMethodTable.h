// The 25-slot method table the host calls on the driver object.
#pragma once

#include "sbdriver/sbdriver.h"

namespace sb {

const SbDriverVtbl& HostMethodTable();

// A driver object this library made: not null, and with this table. A foreign pointer must still be readable.
inline bool IsDriverObject(const SbDriver* driver) { return driver != nullptr && driver->vtbl == &HostMethodTable(); }

}  // namespace sb
